#include "engine/output/archive_writer.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "support/allocation.h"

namespace marlix {
namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;
constexpr std::uint32_t kEndRecordSignature = 0x06054B50;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndRecordSize = 22;
// Version 2.0 of the format: deflate and folders. Made by: the same, on
// MS-DOS (host 0), whatever machine makes it, so that the bytes do not
// depend on it and no attributes need to be set.
constexpr std::uint16_t kVersion = 20;
constexpr std::uint16_t kStoredVersion = 10;
constexpr std::uint64_t kMaxSize = 0xFFFFFFFFu;  // beyond needs the 64-bit extensions
constexpr std::uint32_t kMaxEntries = 0xFFFF;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr std::int64_t kFirstDosInstant = DaysFromCivil(1980, 1, 1) * 86400;
constexpr std::int64_t kLastDosInstant = DaysFromCivil(2107, 12, 31) * 86400 + 86398;

unsigned char* PutLittle(unsigned char* at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) *at++ = static_cast<unsigned char>(value >> (8 * i));
  return at;
}

}  // namespace

std::int64_t ArchiveInstant(std::int64_t seconds) {
  if (seconds < kFirstDosInstant) return kFirstDosInstant;
  if (seconds > kLastDosInstant) return kLastDosInstant;
  return seconds - seconds % 2;
}

CivilTime ToCivilTime(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // The inverse of DaysFromCivil.
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2);
  return CivilTime{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                   static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                   static_cast<int>(rest % 60)};
}

ArchiveWriter::Bytes::~Bytes() { ReleaseBytes(data); }

bool ArchiveWriter::Bytes::Reserve(std::size_t more) {
  if (more <= room - size) return true;
  if (more > SIZE_MAX / 2 - size) {
    NoteLostAllocation();
    return false;
  }
  std::size_t newRoom = room < 4096 ? 4096 : room;
  while (newRoom - size < more) newRoom *= 2;
  void* grown = ReallocateBytes(data, newRoom);
  if (grown == nullptr) return false;
  data = static_cast<unsigned char*>(grown);
  room = newRoom;
  return true;
}

ArchiveWriter::ArchiveWriter() = default;

ArchiveWriter::~ArchiveWriter() {
  if (file_ != platform::kNoFile) platform::Files().Close(file_);
  if (stream_ != nullptr) {
    deflateEnd(static_cast<z_stream*>(stream_));
    ReleaseBytes(stream_);
  }
}

void ArchiveWriter::Begin(platform::FileHandle file, std::int64_t instant) {
  file_ = file;
  SetTime(instant);
}

void ArchiveWriter::SetTime(std::int64_t instant) {
  const CivilTime t = ToCivilTime(ArchiveInstant(instant));
  dosTime_ = static_cast<std::uint16_t>(t.hour << 11 | t.minute << 5 | t.second / 2);
  dosDate_ = static_cast<std::uint16_t>((t.year - 1980) << 9 | t.month << 5 | t.day);
}

bool ArchiveWriter::Fail(int error) {
  if (error_ == 0) error_ = error != 0 ? error : EIO;
  return false;
}

bool ArchiveWriter::Put(const void* bytes, std::size_t length) {
  if (!platform::Files().Write(file_, bytes, length)) {
    const int error = platform::Files().LastError();
    return Fail(error);
  }
  offset_ += length;
  return true;
}

bool ArchiveWriter::Deflate(const char* bytes, std::size_t length, std::size_t& deflatedSize) {
  auto* stream = static_cast<z_stream*>(stream_);
  if (stream == nullptr) {
    stream = static_cast<z_stream*>(AllocateBytes(sizeof(z_stream)));
    if (stream == nullptr) return false;
    std::memset(stream, 0, sizeof(z_stream));
    // Raw deflate (no zlib wrapper), as the archive format wants it.
    if (deflateInit2(stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
      ReleaseBytes(stream);
      return false;
    }
    stream_ = stream;
  } else if (deflateReset(stream) != Z_OK) {
    return false;
  }
  const uLong bound = deflateBound(stream, static_cast<uLong>(length));
  if (!entry_.Reserve(bound)) return false;
  stream->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
  stream->avail_in = static_cast<uInt>(length);
  stream->next_out = entry_.data + entry_.size;
  stream->avail_out = static_cast<uInt>(bound);
  if (deflate(stream, Z_FINISH) != Z_STREAM_END) return false;
  deflatedSize = bound - stream->avail_out;
  return true;
}

bool ArchiveWriter::Add(const char* name, const char* bytes, std::size_t length, Method method) {
  if (file_ == platform::kNoFile) return Fail(EBADF);
  if (Broken()) return false;
  const std::size_t nameLength = std::strlen(name);
  if (nameLength > 0xFFFF) return Fail(ENAMETOOLONG);
  if (length > kMaxSize || entries_ == kMaxEntries) return Fail(EFBIG);

  entry_.size = 0;
  if (!entry_.Reserve(kLocalHeaderSize + nameLength)) return Fail(ENOMEM);
  entry_.size = kLocalHeaderSize + nameLength;
  std::size_t stored = length;
  if (method == kDeflated && !Deflate(bytes, length, stored)) return Fail(ENOMEM);
  const std::uint32_t crc =
      static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes),
                                       static_cast<uInt>(length)));
  const std::uint64_t headerOffset = offset_;
  const std::uint64_t end = offset_ + kLocalHeaderSize + nameLength + stored;
  // The central directory and the end record come after the last entry and
  // must start below 4 GB as well.
  if (end > kMaxSize) return Fail(EFBIG);

  unsigned char* at = entry_.data;
  const std::uint16_t version = method == kStored ? kStoredVersion : kVersion;
  // The fields from the version needed to the extra field's length are the
  // same in the local header and the directory entry.
  auto putShared = [&](unsigned char* to) {
    to = PutLittle(to, version, 2);
    to = PutLittle(to, 0, 2);  // flags
    to = PutLittle(to, method, 2);
    to = PutLittle(to, dosTime_, 2);
    to = PutLittle(to, dosDate_, 2);
    to = PutLittle(to, crc, 4);
    to = PutLittle(to, static_cast<std::uint32_t>(stored), 4);
    to = PutLittle(to, static_cast<std::uint32_t>(length), 4);
    to = PutLittle(to, static_cast<std::uint32_t>(nameLength), 2);
    return PutLittle(to, 0, 2);  // no extra field
  };
  at = putShared(PutLittle(at, kLocalHeaderSignature, 4));
  std::memcpy(at, name, nameLength);

  if (!directory_.Reserve(kCentralHeaderSize + nameLength)) return Fail(ENOMEM);
  at = directory_.data + directory_.size;
  at = PutLittle(at, kCentralHeaderSignature, 4);
  at = putShared(PutLittle(at, kVersion, 2));  // made by, then the shared fields
  at = PutLittle(at, 0, 2);   // comment
  at = PutLittle(at, 0, 2);   // disk
  at = PutLittle(at, 0, 2);   // internal attributes
  at = PutLittle(at, 0, 4);   // external attributes
  at = PutLittle(at, static_cast<std::uint32_t>(headerOffset), 4);
  std::memcpy(at, name, nameLength);

  // The header and deflated bytes in one write; stored bytes straight from
  // the caller's buffer.
  const bool written = method == kStored
                           ? Put(entry_.data, entry_.size) && Put(bytes, length)
                           : Put(entry_.data, entry_.size + stored);
  if (!written) return false;
  directory_.size += kCentralHeaderSize + nameLength;
  ++entries_;
  return true;
}

bool ArchiveWriter::Finish() {
  if (file_ == platform::kNoFile) return Fail(EBADF);
  bool finished = !Broken();
  if (finished && offset_ + directory_.size + kEndRecordSize > kMaxSize) finished = Fail(EFBIG);
  if (finished) {
    unsigned char end[kEndRecordSize];
    unsigned char* at = end;
    at = PutLittle(at, kEndRecordSignature, 4);
    at = PutLittle(at, 0, 2);  // this disk
    at = PutLittle(at, 0, 2);  // the directory's disk
    at = PutLittle(at, entries_, 2);
    at = PutLittle(at, entries_, 2);
    at = PutLittle(at, static_cast<std::uint32_t>(directory_.size), 4);
    at = PutLittle(at, static_cast<std::uint32_t>(offset_), 4);
    PutLittle(at, 0, 2);  // no comment
    finished = (directory_.size == 0 || Put(directory_.data, directory_.size)) &&
               Put(end, sizeof end);
  }
  const bool closed = platform::Files().Close(file_);
  if (!closed && finished) finished = Fail(platform::Files().LastError());
  file_ = platform::kNoFile;
  return finished;
}

}  // namespace marlix
