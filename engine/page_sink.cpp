#include "engine/page_sink.h"

#include <cerrno>
#include <cstring>

#include "support/allocation.h"
#include "support/file_names.h"

namespace marlix {

PageSink::PageSink(Diagnostics* diagnostics)
    : diagnostics_(diagnostics), failedAllocations_(FailedAllocations()) {}

PageSink::~PageSink() {
  if (claimedFile_ != platform::kNoFile) {
    platform::Files().Close(claimedFile_);
    NoteLost(claimedName_, true, 0);
  }
  if (folder_ != platform::kNoFolder) platform::Files().ReleaseFolder(folder_);
}

bool PageSink::Hold(const TextString& path) {
  folder_ = platform::Files().HoldFolder(path.CStr());
  if (folder_ == platform::kNoFolder) return false;
  path_ = path;
  return true;
}

bool PageSink::Claim(const char* name) {
  claimedFile_ = platform::Files().CreateNewIn(folder_, name);
  if (claimedFile_ == platform::kNoFile) {
    NoteLost(name, false, platform::Files().LastError());
    return false;
  }
  claimedName_ = name;
  return true;
}

bool PageSink::Write(const char* name, const char* bytes, std::size_t length, bool whole,
                     int whyShort) {
  platform::FileHandle file;
  if (claimedName_ != nullptr && std::strcmp(name, claimedName_) == 0) {
    file = claimedFile_;
    claimedFile_ = platform::kNoFile;
    claimedName_ = nullptr;
  } else {
    file = platform::Files().CreateNewIn(folder_, name);
    if (file == platform::kNoFile) {
      NoteLost(name, false, platform::Files().LastError());
      return false;
    }
  }
  int error = 0;
  bool complete = platform::Files().Write(file, bytes, length);
  if (!complete) error = platform::Files().LastError();
  if (!platform::Files().Close(file) && complete) {
    complete = false;
    error = platform::Files().LastError();
  }
  const std::uint64_t failedAllocations = FailedAllocations();
  if (complete && failedAllocations != failedAllocations_) {
    complete = false;
    error = ENOMEM;
  } else if (complete && !whole) {
    complete = false;
    error = whyShort;
  }
  failedAllocations_ = failedAllocations;
  if (!complete) {
    NoteLost(name, true, error);
    return false;
  }
  ++written_;
  if (diagnostics_ != nullptr) diagnostics_->OutputWritten(PathOf(name).CStr());
  return true;
}

bool PageSink::List(const char* pattern, StringList& names) const {
  return ListFiles(folder_, pattern, names);
}

TextString PageSink::PathOf(const char* name) const {
  TextString path = JoinPath(path_, name);
  return path.IsEmpty() ? TextString(name) : path;
}

void PageSink::NoteLost(const char* name, bool created, int error) {
  ++lost_;
  if (diagnostics_ == nullptr) return;
  const TextString path = PathOf(name);
  if (created) {
    diagnostics_->OutputNotWritten(path.CStr(), error);
  } else {
    diagnostics_->OutputNotCreated(path.CStr(), error);
  }
}

}  // namespace marlix
