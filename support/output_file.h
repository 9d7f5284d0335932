// Creates a new output file (never replacing one) and writes text to it, with
// CR LF written before each line but the first. Writes are buffered; a write
// that fails when the buffer is flushed counts as a failed write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "support/platform/file_system.h"
#include "support/text_string.h"

namespace marlix {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Closes any open file first. Fails, changing nothing on disk, when
  // anything already exists at path. A path inside a HeldFolder is created
  // through the folder's handle.
  bool Create(const char* path);
  bool Create(const TextString& path) { return Create(path.CStr()); }
  // Makes the write buffer now (Create makes it on first use), for a file
  // that another thread will write: that thread then allocates nothing.
  bool MakeBuffer();
  // True when a file was open, every byte written to it reached it and the
  // platform closed it.
  bool Close();
  bool IsOpen() const { return file_ != platform::kNoFile; }
  // True once any write to the current file has failed (also when the
  // failure only showed when buffered bytes were flushed).
  bool WriteFailed() const { return failed_; }
  // Why the last Create, the first failed write or the last Close failed (an
  // errno value, see FileSystem::LastError); kept until the next Create.
  int Error() const { return error_; }

  // Inline so that the length of a literal is known where it is written.
  MARLIX_ALWAYS_INLINE bool Write(const char* text) {
    return WriteBytes(text, text ? std::strlen(text) : 0);
  }
  bool Write(const TextString& text) { return WriteBytes(text.CStr(), text.Length()); }
  // Writes n bytes as they are; the caller guarantees they hold no zero byte.
  // Inline while they fit the buffer, since most writes are a few bytes.
  MARLIX_ALWAYS_INLINE bool WriteBytes(const char* bytes, std::size_t n) {
    if (n < kDirectWriteBytes && n <= kBufferBytes - buffered_ && buffer_ != nullptr &&
        file_ != platform::kNoFile && !failed_) {
      std::memcpy(buffer_ + buffered_, bytes, n);
      buffered_ += n;
      bytesWritten_ += n;
      return true;
    }
    return WriteBytesSlowly(bytes, n);
  }
  MARLIX_ALWAYS_INLINE bool WriteLine(const char* text) { return Separate() && Write(text); }
  bool WriteLine(const TextString& text) { return Separate() && Write(text); }
  // A line of n bytes that hold no zero byte.
  bool WriteLineBytes(const char* bytes, std::size_t n) {
    return Separate() && WriteBytes(bytes, n);
  }
  bool WriteBreaks(std::uint32_t n);

 private:
  static constexpr std::size_t kBufferBytes = 32 * 1024;
  // Writes at least this long skip the buffer when it is empty.
  static constexpr std::size_t kDirectWriteBytes = 1024;

  bool WriteBytesSlowly(const char* bytes, std::size_t n);
  // CR LF before a line, unless the file is still empty.
  bool Separate() {
    if (breakCount_ == 0 && bytesWritten_ == 0) return true;
    if (!WriteBytes("\r\n", 2)) return false;
    ++breakCount_;
    return true;
  }
  bool Flush();
  bool Fail();  // marks the current file failed and keeps the reason

  platform::FileHandle file_ = platform::kNoFile;
  std::uint32_t breakCount_ = 0;
  std::uint64_t bytesWritten_ = 0;  // bytes accepted for the current file
  bool failed_ = false;
  int error_ = 0;
  char* buffer_ = nullptr;
  std::size_t buffered_ = 0;
};

}  // namespace marlix
