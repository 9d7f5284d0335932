// POSIX file and folder calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "support/platform/file_system.h"

namespace marlix::platform {
namespace {

class PosixFileSystem final : public FileSystem {
 public:
  FileHandle OpenExisting(const char* path) override {
    int fd;
    do {
      // O_NONBLOCK so that a FIFO never blocks the open; regular files ignore it.
      fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return kNoFile;
    struct stat info;
    int error = 0;
    if (::fstat(fd, &info) != 0) {
      error = errno;
    } else if (!S_ISREG(info.st_mode)) {
      // Only regular files are read: a FIFO would block and a device never ends.
      error = S_ISDIR(info.st_mode) ? EISDIR : ENXIO;
    }
    if (error != 0) {
      ::close(fd);
      errno = error;
      return kNoFile;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
  }

  std::int64_t Read(FileHandle file, void* buffer, std::size_t size) override {
    ssize_t n;
    do {
      n = ::read(static_cast<int>(file), buffer, size);
    } while (n < 0 && errno == EINTR);
    return n;
  }

  bool Write(FileHandle file, const void* bytes, std::size_t size) override {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
      ssize_t n = ::write(static_cast<int>(file), next, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      next += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  std::int64_t Size(FileHandle file) override {
    struct stat info;
    if (::fstat(static_cast<int>(file), &info) != 0) return -1;
    return info.st_size;
  }

  std::int64_t ModifiedTime(FileHandle file) override {
    struct stat info;
    if (::fstat(static_cast<int>(file), &info) != 0) return -1;
    return static_cast<std::int64_t>(info.st_mtime);
  }

  bool Close(FileHandle file) override { return ::close(static_cast<int>(file)) == 0; }

  bool MakeFolder(const char* path) override { return ::mkdir(path, 0777) == 0; }

  bool ListFolder(const char* folder, NameVisitor visit, void* context) override {
    return ListOpened(::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC), visit, context);
  }

  FolderHandle HoldFolder(const char* path) override {
    // A separator at the end would make the last component resolve through
    // a link even with O_NOFOLLOW, so it is dropped (a lone "/" stays).
    std::size_t length = std::strlen(path);
    while (length > 1 && path[length - 1] == '/') --length;
    // Longer paths would fail in open anyway.
    char bare[PATH_MAX];
    if (length >= sizeof bare) {
      errno = ENAMETOOLONG;
      return kNoFolder;
    }
    std::memcpy(bare, path, length);
    bare[length] = 0;
    int fd;
    do {
      fd = ::open(bare, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? kNoFolder : fd;
  }

  FileHandle CreateNewIn(FolderHandle folder, const char* name) override {
    if (folder == kNoFolder || !IsBareName(name)) {
      errno = folder == kNoFolder ? EBADF : EINVAL;
      return kNoFile;
    }
    int fd;
    do {
      // O_EXCL also refuses a symbolic link at the final name, dangling or not.
      fd = ::openat(static_cast<int>(folder), name,
                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? kNoFile : fd;
  }

  FolderHandle MakeFolderIn(FolderHandle folder, const char* name) override {
    if (folder == kNoFolder || !IsBareName(name)) {
      errno = folder == kNoFolder ? EBADF : EINVAL;
      return kNoFolder;
    }
    // mkdirat fails on anything at name, a link included.
    if (::mkdirat(static_cast<int>(folder), name, 0777) != 0) return kNoFolder;
    int fd;
    do {
      fd =
          ::openat(static_cast<int>(folder), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? kNoFolder : fd;
  }

  bool ListHeldFolder(FolderHandle folder, NameVisitor visit, void* context) override {
    if (folder == kNoFolder) return false;
    // A description of its own, so that every listing starts at the front.
    return ListOpened(::openat(static_cast<int>(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC),
                      visit, context);
  }

  bool ReleaseFolder(FolderHandle folder) override {
    return folder != kNoFolder && ::close(static_cast<int>(folder)) == 0;
  }

 private:
  static bool IsBareName(const char* name) {
    if (name[0] == 0 || std::strchr(name, '/') != nullptr) return false;
    return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
  }

  // Lists the folder open as folderFd and closes it.
  static bool ListOpened(int folderFd, NameVisitor visit, void* context) {
    if (folderFd < 0) return false;
    DIR* listing = ::fdopendir(folderFd);
    if (listing == nullptr) {
      ::close(folderFd);
      return false;
    }
    bool complete = true;
    int error = 0;
    for (;;) {
      // readdir gives NULL both at the end and on a failure; only errno tells.
      errno = 0;
      dirent* entry = ::readdir(listing);
      if (entry == nullptr) {
        error = errno;
        complete = error == 0;
        break;
      }
      // Follow links: a link to a regular file counts as one. The entry's
      // type saves a stat call where the folder reports it.
      if (entry->d_type != DT_REG) {
        if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
        struct stat info;
        if (::fstatat(folderFd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
      }
      visit(entry->d_name, context);
    }
    ::closedir(listing);
    errno = error;  // why the listing broke off, for LastError
    return complete;
  }
};

}  // namespace

FileSystem& NativeFiles() {
  static PosixFileSystem files;
  return files;
}

}  // namespace marlix::platform
