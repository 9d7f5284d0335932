// A ZIP archive written front to back into one file: each entry's local
// header and bytes as it is added, the central directory and the end record
// when it is finished. Nothing is ever written twice or sought back to, so
// the file is made with plain appends, and the same entries give the same
// bytes on every platform: every entry carries the one time given, no extra
// fields, no comments, no attributes of the machine it was made on.
//
// Entries are stored as they are or deflated (zlib, raw deflate); each carries
// its CRC-32. Archives of 4 GB or more, entries of 4 GB or more and more than
// 65,535 entries would need the 64-bit extensions, which are not written:
// such an entry is refused (EFBIG) and the archive is broken.
//
// Use:
//   ArchiveWriter archive;
//   archive.Begin(file, ArchiveInstant(seconds));   // a file created new
//   archive.Add("mimetype", bytes, n, ArchiveWriter::kStored);
//   archive.Add("a/b.xhtml", bytes, n, ArchiveWriter::kDeflated);
//   archive.Finish();                               // closes the file
//
// After any failure the archive is broken: every later Add and Finish fails
// with the first failure's error, and Finish still closes the file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/platform/file_system.h"

namespace marlix {

// The calendar fields of a time in UTC.
struct CivilTime {
  int year, month, day, hour, minute, second;
};

// seconds since 1970 (UTC) as an archive can hold it: clamped to the DOS
// time range (1980-01-01 00:00:00 to 2107-12-31 23:59:58) and rounded down
// to even seconds, the resolution of a DOS time.
std::int64_t ArchiveInstant(std::int64_t seconds);
CivilTime ToCivilTime(std::int64_t seconds);

class ArchiveWriter {
 public:
  enum Method { kStored = 0, kDeflated = 8 };

  ArchiveWriter();
  // Closes the file of an archive that was never finished.
  ~ArchiveWriter();
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  // Takes over file, created new and empty; every entry will carry the
  // instant (ArchiveInstant) as its time.
  void Begin(platform::FileHandle file, std::int64_t instant);
  // Sets that time, for the entries added after it.
  void SetTime(std::int64_t instant);
  // Appends one entry, name being its path inside the archive ("/" between
  // folders). False when it was not written in full: the archive is broken.
  bool Add(const char* name, const char* bytes, std::size_t length, Method method);
  // Writes the central directory and the end record and closes the file.
  // False when the archive was broken or these could not be written.
  bool Finish();

  bool IsOpen() const { return file_ != platform::kNoFile; }
  bool Broken() const { return error_ != 0; }
  // Why the archive broke, as an errno value (EFBIG past the ZIP limits).
  int Error() const { return error_; }
  std::uint32_t Entries() const { return entries_; }

 private:
  bool Fail(int error);
  bool Put(const void* bytes, std::size_t length);
  // Deflates bytes into deflated_; false when memory or zlib fails.
  bool Deflate(const char* bytes, std::size_t length, std::size_t& deflatedSize);

  platform::FileHandle file_ = platform::kNoFile;
  std::uint16_t dosTime_ = 0;
  std::uint16_t dosDate_ = 0;
  std::uint64_t offset_ = 0;  // bytes written so far
  std::uint32_t entries_ = 0;
  int error_ = 0;
  void* stream_ = nullptr;  // the deflate stream, kept from entry to entry
  // Growable byte blocks: the central directory, and one entry's local
  // header with its deflated bytes.
  struct Bytes {
    unsigned char* data = nullptr;
    std::size_t size = 0;
    std::size_t room = 0;
    ~Bytes();
    bool Reserve(std::size_t more);
  };
  Bytes directory_;
  Bytes entry_;
};

}  // namespace marlix
