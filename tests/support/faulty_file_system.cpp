#include "support/faulty_file_system.h"

#include <cerrno>

namespace marlix::testing {

std::string BaseName(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

platform::FileHandle FaultyFileSystem::OpenExisting(const char* path) {
  std::string name = BaseName(path);
  unsigned opens = ++opensByName_[name];
  if (vanishOnOpen.count(name) != 0 && opens >= vanishFromOpen) {
    errno = ENOENT;
    return platform::kNoFile;
  }
  if (refuseOpen.count(name) != 0) {
    errno = EACCES;
    return platform::kNoFile;
  }
  platform::FileHandle file = platform::NativeFiles().OpenExisting(path);
  if (file != platform::kNoFile) open_[file] = OpenFile{name, 0};
  return file;
}

platform::FileHandle FaultyFileSystem::CreateNewIn(platform::FolderHandle folder,
                                                   const char* name) {
  if (beforeCreate) beforeCreate(name);
  if (refuseCreate.count(name) != 0) {
    errno = EACCES;
    return platform::kNoFile;
  }
  platform::FileHandle file = platform::NativeFiles().CreateNewIn(folder, name);
  if (file != platform::kNoFile) {
    open_[file] = OpenFile{name, 0};
    ++createsInHeld;
  }
  return file;
}

platform::FolderHandle FaultyFileSystem::MakeFolderIn(platform::FolderHandle folder,
                                                      const char* name) {
  if (refuseFolder.count(name) != 0) {
    errno = EACCES;
    return platform::kNoFolder;
  }
  platform::FolderHandle made = platform::NativeFiles().MakeFolderIn(folder, name);
  if (made != platform::kNoFolder) held_[made] = name;
  return made;
}

std::int64_t FaultyFileSystem::Read(platform::FileHandle file, void* buffer, std::size_t size) {
  ++readCalls;
  OpenFile& tracked = open_[file];
  if (readFailsFor.count(tracked.name) != 0) {
    if (tracked.bytes >= readFailsAfterBytes) {
      errno = EIO;
      return -1;
    }
    std::uint64_t room = readFailsAfterBytes - tracked.bytes;
    if (size > room) size = static_cast<std::size_t>(room);
  }
  std::int64_t n = platform::NativeFiles().Read(file, buffer, size);
  if (n > 0) tracked.bytes += static_cast<std::uint64_t>(n);
  return n;
}

bool FaultyFileSystem::Write(platform::FileHandle file, const void* bytes, std::size_t size) {
  OpenFile& tracked = open_[file];
  if (diskFullFor.count(tracked.name) != 0 && tracked.bytes + size > diskFullAfterBytes) {
    // Write what fits, then report the failure.
    std::size_t fits = tracked.bytes < diskFullAfterBytes
                           ? static_cast<std::size_t>(diskFullAfterBytes - tracked.bytes)
                           : 0;
    if (fits > 0) platform::NativeFiles().Write(file, bytes, fits);
    tracked.bytes += fits;
    ++failedWrites;
    errno = ENOSPC;
    return false;
  }
  bool written = platform::NativeFiles().Write(file, bytes, size);
  if (written) tracked.bytes += size;
  return written;
}

std::int64_t FaultyFileSystem::Size(platform::FileHandle file) {
  std::int64_t size = platform::NativeFiles().Size(file);
  auto it = open_.find(file);
  if (it != open_.end() && sizeFailsFor.count(it->second.name) != 0) {
    errno = EIO;
    return -1;
  }
  if (size >= 0 && it != open_.end() && sizeOverstatedFor.count(it->second.name) != 0) {
    size += sizeOverstatement;
  }
  return size;
}

bool FaultyFileSystem::Close(platform::FileHandle file) {
  open_.erase(file);
  return platform::NativeFiles().Close(file);
}

bool FaultyFileSystem::MakeFolder(const char* path) {
  return platform::NativeFiles().MakeFolder(path);
}

namespace {
struct LimitedListing {
  platform::NameVisitor visit;
  void* context;
  unsigned left;
};
void VisitWhileAllowed(const char* name, void* context) {
  LimitedListing& listing = *static_cast<LimitedListing*>(context);
  if (listing.left == 0) return;
  --listing.left;
  listing.visit(name, listing.context);
}
}  // namespace

bool FaultyFileSystem::ListFolder(const char* folder, platform::NameVisitor visit, void* context) {
  std::string path(folder);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (listingFailsFor.count(BaseName(path)) == 0) {
    return platform::NativeFiles().ListFolder(folder, visit, context);
  }
  LimitedListing listing{visit, context, listingFailsAfterNames};
  platform::NativeFiles().ListFolder(folder, VisitWhileAllowed, &listing);
  errno = EIO;
  return false;
}

platform::FolderHandle FaultyFileSystem::HoldFolder(const char* path) {
  std::string trimmed(path);
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  if (refuseHold.count(BaseName(trimmed)) > 0) {
    errno = EACCES;
    return platform::kNoFolder;
  }
  platform::FolderHandle folder = platform::NativeFiles().HoldFolder(path);
  if (folder != platform::kNoFolder) held_[folder] = BaseName(trimmed);
  return folder;
}

bool FaultyFileSystem::ListHeldFolder(platform::FolderHandle folder, platform::NameVisitor visit,
                                      void* context) {
  if (listingFailsFor.count(held_[folder]) == 0) {
    return platform::NativeFiles().ListHeldFolder(folder, visit, context);
  }
  LimitedListing listing{visit, context, listingFailsAfterNames};
  platform::NativeFiles().ListHeldFolder(folder, VisitWhileAllowed, &listing);
  errno = EIO;
  return false;
}

bool FaultyFileSystem::ReleaseFolder(platform::FolderHandle folder) {
  held_.erase(folder);
  return platform::NativeFiles().ReleaseFolder(folder);
}

}  // namespace marlix::testing
