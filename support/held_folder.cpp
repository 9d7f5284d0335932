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
  return Adopt(handle, path);
}

bool HeldFolder::HoldNewIn(const HeldFolder& parent, const char* name) {
  if (&parent == this || !parent.IsHeld()) return false;
  // A name or path cut short by a lost allocation would register the folder
  // under a path that is not its own.
  const TextString bareName(name);
  if (bareName.Length() != std::strlen(name)) return false;
  const TextString path = JoinPath(parent.path_, bareName);
  if (path.IsEmpty()) return false;
  Release();
  platform::FolderHandle handle = platform::Files().MakeFolderIn(parent.handle_, name);
  if (handle == platform::kNoFolder) return false;
  return Adopt(handle, path);
}

bool HeldFolder::Adopt(platform::FolderHandle handle, const TextString& path) {
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
  std::size_t deepest = 0;
  for (const HeldFolder* held = firstHeld; held != nullptr; held = held->next_) {
    std::size_t length = TrimmedLength(held->path_.CStr(), held->path_.Length());
    if (length == 0 || length <= deepest) continue;
    if (pathLength <= length || std::memcmp(path, held->path_.CStr(), length) != 0) continue;
    const char* rest = path + length;
    if (held->path_[length - 1] != kPathSeparator) {
      if (*rest != kPathSeparator) continue;
      ++rest;
    }
    folder = held->handle_;
    name = rest;
    deepest = length;
  }
  return deepest != 0;
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
