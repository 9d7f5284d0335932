#include "support/output_file.h"

#include <cerrno>
#include <cstring>

#include "support/allocation.h"
#include "support/held_folder.h"

namespace marlix {
namespace {
constexpr char kLineBreak[] = "\r\n";
}  // namespace

OutputFile::~OutputFile() {
  Close();
  GiveBackBuffer(buffer_, kBufferBytes);
}

bool OutputFile::Create(const char* path) {
  Close();
  error_ = 0;
  if (!MakeBuffer()) {
    error_ = ENOMEM;
    return false;
  }
  // Inside a held folder the file is created through the folder's handle.
  platform::FolderHandle folder;
  const char* name;
  if (HeldFolder::Inside(path, folder, name)) {
    file_ = platform::Files().CreateNewIn(folder, name);
  } else if (HeldFolder::AnyHeld()) {
    // While a run holds its folder, it writes nowhere else: a path outside
    // it can only be one that memory ran out while it was built (the folder
    // part lost, the name kept), which must not land beside the program.
    error_ = ENOMEM;
    return false;
  } else {
    file_ = platform::Files().CreateNew(path);
  }
  if (file_ == platform::kNoFile) error_ = platform::Files().LastError();
  return file_ != platform::kNoFile;
}

bool OutputFile::MakeBuffer() {
  if (buffer_ == nullptr) buffer_ = static_cast<char*>(TakeBuffer(kBufferBytes));
  return buffer_ != nullptr;
}

bool OutputFile::Close() {
  if (file_ == platform::kNoFile) return false;
  bool flushed = Flush();
  bool closed = platform::Files().Close(file_);
  if (!closed && !failed_) error_ = platform::Files().LastError();
  bool complete = flushed && closed && !failed_;
  file_ = platform::kNoFile;
  breakCount_ = 0;
  bytesWritten_ = 0;
  failed_ = false;
  return complete;
}

bool OutputFile::Flush() {
  if (buffered_ == 0) return true;
  bool written = platform::Files().Write(file_, buffer_, buffered_);
  buffered_ = 0;
  return written || Fail();
}

bool OutputFile::Fail() {
  if (!failed_) error_ = platform::Files().LastError();
  failed_ = true;
  return false;
}

bool OutputFile::WriteBytesSlowly(const char* bytes, std::size_t n) {
  if (file_ == platform::kNoFile || failed_) return false;
  if (n == 0) return true;
  // Large writes with nothing buffered go straight to the file, uncopied.
  if (buffered_ + n > kBufferBytes || (buffered_ == 0 && n >= kDirectWriteBytes)) {
    if (!Flush()) return false;
    if (n > kBufferBytes || n >= kDirectWriteBytes) {
      if (!platform::Files().Write(file_, bytes, n)) return Fail();
      bytesWritten_ += n;
      return true;
    }
  }
  std::memcpy(buffer_ + buffered_, bytes, n);
  buffered_ += n;
  bytesWritten_ += n;
  return true;
}

bool OutputFile::WriteBreaks(std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i) {
    if (!WriteBytes(kLineBreak, 2)) return false;
    ++breakCount_;
  }
  return true;
}

}  // namespace marlix
