#include "support/line_reader.h"

#include <cstring>

#include "support/allocation.h"

namespace marlix {
namespace {
constexpr std::uint32_t kBufferBytes = 16 * 1024;
constexpr char kLf = '\n';
constexpr char kCr = '\r';

// Where the line starting at bytes ends, given available bytes (fewer than
// kDecidingBytes only at the end of the file): how many bytes belong to the
// line and how many are taken with its line end.
void SplitPiece(const char* bytes, std::uint32_t available, std::uint32_t& lineBytes,
                std::uint32_t& consumed) {
  constexpr std::uint32_t kMax = LineReader::kMaxLineBytes;
  std::uint32_t window = available < kMax ? available : kMax;
  const char* lf = static_cast<const char*>(std::memchr(bytes, kLf, window));
  if (lf != nullptr) {
    lineBytes = static_cast<std::uint32_t>(lf - bytes);
    consumed = lineBytes + 1;
    if (lineBytes > 0 && bytes[lineBytes - 1] == kCr) --lineBytes;
  } else if (window < kMax) {
    lineBytes = consumed = window;  // the last line, without a line end
  } else if (available > kMax && bytes[kMax] == kLf) {
    // A full window whose line end straddles or directly follows it: the line
    // end belongs to this line and its CR is not kept.
    lineBytes = bytes[kMax - 1] == kCr ? kMax - 1 : kMax;
    consumed = kMax + 1;
  } else if (available > kMax + 1 && bytes[kMax] == kCr && bytes[kMax + 1] == kLf) {
    lineBytes = kMax;
    consumed = kMax + 2;
  } else {
    lineBytes = consumed = kMax;  // an 80-byte piece of a longer line
  }
}

void MakePiece(const char* bytes, std::uint32_t lineBytes, std::uint32_t consumed,
               LinePiece& piece) {
  // The content ends at a zero byte; the rest of the line is dropped.
  const void* zero = std::memchr(bytes, 0, lineBytes);
  piece.bytes = bytes;
  piece.length =
      zero ? static_cast<std::uint32_t>(static_cast<const char*>(zero) - bytes) : lineBytes;
  piece.endsLine = consumed > lineBytes;
}

}  // namespace

LineReader::~LineReader() {
  Close();
  GiveBackBuffer(buffer_, kBufferBytes);
}

bool LineReader::Open(const char* path) {
  Close();
  if (buffer_ == nullptr) {
    buffer_ = static_cast<char*>(TakeBuffer(kBufferBytes));
    if (buffer_ == nullptr) return false;
  }
  file_ = platform::Files().OpenExisting(path);
  if (file_ == platform::kNoFile) return false;
  size_ = platform::Files().Size(file_);
  if (size_ < 0) size_ = 0;
  return true;
}

bool LineReader::Close() {
  if (file_ == platform::kNoFile) return false;
  bool closed = platform::Files().Close(file_);
  file_ = platform::kNoFile;
  atEnd_ = false;
  exhausted_ = false;
  readFailed_ = false;
  zeroSeen_ = false;
  readError_ = 0;
  size_ = 0;
  position_ = 0;
  begin_ = end_ = 0;
  return closed;
}

std::uint32_t LineReader::Fill(std::uint32_t want) {
  while (end_ - begin_ < want && !exhausted_) {
    if (begin_ > 0) {
      std::memmove(buffer_, buffer_ + begin_, end_ - begin_);
      end_ -= begin_;
      begin_ = 0;
    }
    const std::uint32_t asked = kBufferBytes - end_;
    std::int64_t n = platform::Files().Read(file_, buffer_ + end_, asked);
    if (n <= 0) {
      // The end of the file, or a failure; either way no more bytes come, so
      // every reading loop ends. A failure is kept for the caller to see.
      if (n < 0) {
        readFailed_ = true;
        readError_ = platform::Files().LastError();
      }
      exhausted_ = true;
      break;
    }
    if (std::memchr(buffer_ + end_, 0, static_cast<std::size_t>(n)) != nullptr) zeroSeen_ = true;
    end_ += static_cast<std::uint32_t>(n);
    // The file may have grown or shrunk since it was opened: the at-end test
    // uses the size as it stands now. It is asked again when the read came
    // back short (the end may be near) or went past the size known, not after
    // every read.
    if (static_cast<std::uint64_t>(n) < asked || position_ + (end_ - begin_) > size_) {
      std::int64_t size = platform::Files().Size(file_);
      if (size >= 0) size_ = size;
    }
  }
  return end_ - begin_;
}

bool LineReader::ReadPieceSlowly(LinePiece& piece) {
  if (file_ == platform::kNoFile) {
    atEnd_ = true;
    return false;
  }
  std::uint32_t available = Fill(kDecidingBytes);
  if (available == 0) {
    atEnd_ = true;
    return false;
  }
  std::uint32_t lineBytes = 0;
  std::uint32_t consumed = 0;
  SplitPiece(buffer_ + begin_, available, lineBytes, consumed);
  MakePiece(buffer_ + begin_, lineBytes, consumed, piece);
  Consume(consumed);
  return true;
}

bool LineReader::PeekPiece(std::uint32_t skip, LinePiece& piece) {
  if (file_ == platform::kNoFile || skip > kBufferBytes - kDecidingBytes) return false;
  std::uint32_t available = Fill(skip + kDecidingBytes);
  if (available <= skip) return false;
  std::uint32_t lineBytes = 0;
  std::uint32_t consumed = 0;
  SplitPiece(buffer_ + begin_ + skip, available - skip, lineBytes, consumed);
  MakePiece(buffer_ + begin_ + skip, lineBytes, consumed, piece);
  return true;
}

bool LineReader::ReadLine(TextString& line) {
  LinePiece piece;
  line.Empty();
  if (!ReadPiece(piece)) return false;
  line.AppendN(piece.bytes, piece.length);
  return true;
}

TextString LineReader::ReadLine() {
  TextString line;
  ReadLine(line);
  return line;
}

bool LineReader::SkipLine() {
  LinePiece piece;
  return ReadPiece(piece);
}

TextString LineReader::ReadBytes(std::uint32_t n) {
  if (file_ == platform::kNoFile || n == 0 || n > kBufferBytes) return TextString();
  if (position_ + n > size_) return TextString();
  if (Fill(n) < n) {
    // The size promised more than the file gave: it shrank or the read failed.
    atEnd_ = true;
    return TextString();
  }
  TextString bytes(buffer_ + begin_, n);
  Consume(n);
  return bytes;
}

}  // namespace marlix
