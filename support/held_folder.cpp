#include "support/held_folder.h"

#include <cstring>

#include "support/file_names.h"

namespace marlix {
namespace {

HeldFolder* firstHeld = nullptr;

// The length of path without separators at its end; a lone separator stays.
std::size_t TrimmedLength(const char* path, std::size_t length) {
  while (length > 1 && path[length - 1] == kPathSeparator) --length;
  return length;
}

}  // namespace

bool HeldFolder::Hold(const TextString& path) {
  Release();
  platform::FolderHandle handle = platform::Files().HoldFolder(path.CStr());
  if (handle == platform::kNoFolder) return false;
  path_ = path;
  if (path_.Length() != path.Length()) {  // the copy could not be made
    platform::Files().ReleaseFolder(handle);
    path_.Empty();
    return false;
  }
  handle_ = handle;
  next_ = firstHeld;
  firstHeld = this;
  return true;
}

bool HeldFolder::Release() {
  if (handle_ == platform::kNoFolder) return false;
  for (HeldFolder** link = &firstHeld; *link != nullptr; link = &(*link)->next_) {
    if (*link == this) {
      *link = next_;
      break;
    }
  }
  bool released = platform::Files().ReleaseFolder(handle_);
  handle_ = platform::kNoFolder;
  next_ = nullptr;
  path_.Empty();
  return released;
}

bool HeldFolder::Inside(const char* path, platform::FolderHandle& folder, const char*& name) {
  std::size_t pathLength = std::strlen(path);
  for (const HeldFolder* held = firstHeld; held != nullptr; held = held->next_) {
    std::size_t length = TrimmedLength(held->path_.CStr(), held->path_.Length());
    if (length == 0) continue;
    if (pathLength <= length || std::memcmp(path, held->path_.CStr(), length) != 0) continue;
    const char* rest = path + length;
    if (held->path_[length - 1] != kPathSeparator) {
      if (*rest != kPathSeparator) continue;
      ++rest;
    }
    folder = held->handle_;
    name = rest;
    return true;
  }
  return false;
}

bool HeldFolder::AnyHeld() { return firstHeld != nullptr; }

platform::FolderHandle HeldFolder::Holding(const char* folder) {
  std::size_t length = TrimmedLength(folder, std::strlen(folder));
  for (const HeldFolder* held = firstHeld; held != nullptr; held = held->next_) {
    if (TrimmedLength(held->path_.CStr(), held->path_.Length()) == length &&
        std::memcmp(folder, held->path_.CStr(), length) == 0) {
      return held->handle_;
    }
  }
  return platform::kNoFolder;
}

}  // namespace marlix
