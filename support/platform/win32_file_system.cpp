// Win32 file and folder calls, ANSI entry points.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "support/platform/file_system.h"
#include "support/text_string.h"

namespace marlix::platform {
namespace {

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
FileHandle FromHandle(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

// The system's error code as the errno value that names the same reason. Set
// by the calls below where they fail on their own.
int ownError = 0;

int ErrnoOf(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS:
      return 0;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return ENAMETOOLONG;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_HANDLE:
      return EINVAL;
    default:
      return EIO;
  }
}

// Remembers why the call that is about to report failure failed.
void NoteFailure(int error) { ownError = error; }
void NoteSystemFailure() { ownError = ErrnoOf(::GetLastError()); }

// Only disk files are read or written: a name such as CON.txt or NUL.txt, or
// a \\.\ path, opens a device, which may block a read or never end.
FileHandle KeepDiskFile(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) {
    NoteSystemFailure();
    return kNoFile;
  }
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    NoteFailure(ENXIO);
    return kNoFile;
  }
  return FromHandle(handle);
}

// One call moves at most this many bytes, so that the count fits a DWORD.
constexpr std::size_t kLargestTransfer = 0x40000000;

// A held folder: a handle opened without FILE_SHARE_DELETE, so that nobody
// can rename, remove or replace the folder while it is held, and the path
// it was held by, which therefore keeps naming it. A few fixed slots: a run
// holds one folder, and holding allocates nothing.
struct HeldSlot {
  HANDLE handle = INVALID_HANDLE_VALUE;
  char path[MAX_PATH] = {};
};
constexpr int kHeldSlots = 8;
HeldSlot held[kHeldSlots];

HeldSlot* SlotOf(FolderHandle folder) {
  if (folder < 0 || folder >= kHeldSlots) return nullptr;
  HeldSlot& slot = held[folder];
  return slot.handle == INVALID_HANDLE_VALUE ? nullptr : &slot;
}

// One name directly inside a folder: no separator, no drive or stream colon,
// not "." or "..".
bool IsBareName(const char* name) {
  if (name[0] == 0 || std::strpbrk(name, "\\/:") != nullptr) return false;
  return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

// folder + a backslash unless it ends in one + name, into out (MAX_PATH).
bool JoinInto(char* out, const char* folder, const char* name) {
  const std::size_t folderLength = std::strlen(folder);
  const bool separator = folderLength == 0 || folder[folderLength - 1] != '\\';
  const std::size_t nameLength = std::strlen(name);
  if (folderLength + (separator ? 1 : 0) + nameLength >= MAX_PATH) return false;
  std::memcpy(out, folder, folderLength);
  std::size_t at = folderLength;
  if (separator) out[at++] = '\\';
  std::memcpy(out + at, name, nameLength + 1);
  return true;
}

class Win32FileSystem final : public FileSystem {
 public:
  FileHandle OpenExisting(const char* path) override {
    return KeepDiskFile(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  std::int64_t Read(FileHandle file, void* buffer, std::size_t size) override {
    DWORD read = 0;
    DWORD wanted = static_cast<DWORD>(size < kLargestTransfer ? size : kLargestTransfer);
    if (!::ReadFile(ToHandle(file), buffer, wanted, &read, nullptr)) {
      NoteSystemFailure();
      return -1;
    }
    return read;
  }

  bool Write(FileHandle file, const void* bytes, std::size_t size) override {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
      DWORD written = 0;
      DWORD chunk = static_cast<DWORD>(size < kLargestTransfer ? size : kLargestTransfer);
      if (!::WriteFile(ToHandle(file), next, chunk, &written, nullptr)) {
        NoteSystemFailure();
        return false;
      }
      if (written == 0) {
        NoteFailure(ENOSPC);
        return false;
      }
      next += written;
      size -= written;
    }
    return true;
  }

  std::int64_t Size(FileHandle file) override {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(ToHandle(file), &size)) {
      NoteSystemFailure();
      return -1;
    }
    return size.QuadPart;
  }

  std::int64_t ModifiedTime(FileHandle file) override {
    FILETIME written;
    if (!::GetFileTime(ToHandle(file), nullptr, nullptr, &written)) {
      NoteSystemFailure();
      return -1;
    }
    // 100-nanosecond steps since 1601.
    const std::uint64_t steps = static_cast<std::uint64_t>(written.dwHighDateTime) << 32 |
                                written.dwLowDateTime;
    return static_cast<std::int64_t>(steps / 10000000) - INT64_C(11644473600);
  }

  bool Close(FileHandle file) override {
    if (::CloseHandle(ToHandle(file))) return true;
    NoteSystemFailure();
    return false;
  }

  bool MakeFolder(const char* path) override {
    if (::CreateDirectoryA(path, nullptr)) return true;
    NoteSystemFailure();
    return false;
  }

  int LastError() const override { return ownError; }

  FolderHandle HoldFolder(const char* path) override {
    // A separator at the end is ignored (a drive root such as C:\ keeps it).
    std::size_t length = std::strlen(path);
    while (length > 3 && (path[length - 1] == '\\' || path[length - 1] == '/')) --length;
    if (length == 0 || length >= MAX_PATH) {
      NoteFailure(length == 0 ? ENOENT : ENAMETOOLONG);
      return kNoFolder;
    }
    int index = 0;
    while (index < kHeldSlots && held[index].handle != INVALID_HANDLE_VALUE) ++index;
    if (index == kHeldSlots) {
      NoteFailure(EMFILE);
      return kNoFolder;
    }
    HeldSlot& slot = held[index];
    std::memcpy(slot.path, path, length);
    slot.path[length] = 0;

    // The link itself when path is one (FILE_FLAG_OPEN_REPARSE_POINT), so
    // that a link is refused rather than followed.
    HANDLE handle = ::CreateFileA(slot.path, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      NoteSystemFailure();
      return kNoFolder;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      ::CloseHandle(handle);
      NoteFailure(ENOTDIR);
      return kNoFolder;
    }
    slot.handle = handle;
    return index;
  }

  FileHandle CreateNewIn(FolderHandle folder, const char* name) override {
    const HeldSlot* slot = SlotOf(folder);
    char path[MAX_PATH];
    if (slot == nullptr || !IsBareName(name)) {
      NoteFailure(slot == nullptr ? EBADF : EINVAL);
      return kNoFile;
    }
    if (!JoinInto(path, slot->path, name)) {
      NoteFailure(ENAMETOOLONG);
      return kNoFile;
    }
    // CREATE_NEW fails when anything of that name exists: nothing is replaced.
    return KeepDiskFile(::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  FolderHandle MakeFolderIn(FolderHandle folder, const char* name) override {
    const HeldSlot* slot = SlotOf(folder);
    char path[MAX_PATH];
    if (slot == nullptr || !IsBareName(name)) {
      NoteFailure(slot == nullptr ? EBADF : EINVAL);
      return kNoFolder;
    }
    if (!JoinInto(path, slot->path, name)) {
      NoteFailure(ENAMETOOLONG);
      return kNoFolder;
    }
    // The parent cannot be renamed while it is held, so its path still
    // names it; CreateDirectory fails when anything exists at path.
    if (!::CreateDirectoryA(path, nullptr)) {
      NoteSystemFailure();
      return kNoFolder;
    }
    return HoldFolder(path);
  }

  bool ListHeldFolder(FolderHandle folder, NameVisitor visit, void* context) override {
    const HeldSlot* slot = SlotOf(folder);
    if (slot == nullptr) {
      NoteFailure(EBADF);
      return false;
    }
    return ListFolder(slot->path, visit, context);
  }

  bool ReleaseFolder(FolderHandle folder) override {
    HeldSlot* slot = SlotOf(folder);
    if (slot == nullptr) {
      NoteFailure(EBADF);
      return false;
    }
    const bool closed = ::CloseHandle(slot->handle) != 0;
    if (!closed) NoteSystemFailure();
    slot->handle = INVALID_HANDLE_VALUE;
    return closed;
  }

  bool ListFolder(const char* folder, NameVisitor visit, void* context) override {
    TextString search(folder);
    const std::size_t length = std::strlen(folder);
    if (length == 0 || folder[length - 1] != '\\') search.AppendChar('\\');
    search.AppendChar('*');

    WIN32_FIND_DATAA entry;
    HANDLE listing = ::FindFirstFileA(search.CStr(), &entry);
    if (listing == INVALID_HANDLE_VALUE) {
      // An empty drive root has no entry at all, not even "." and "..".
      if (::GetLastError() == ERROR_FILE_NOT_FOUND) return true;
      // A file named as the folder: the search fails with "path not found".
      const DWORD attributes = ::GetFileAttributesA(folder);
      NoteFailure(attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)
                      ? ENOTDIR
                      : ErrnoOf(::GetLastError()));
      return false;
    }
    // In the order the search returns the names; folders are left out.
    do {
      if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0) {
        visit(entry.cFileName, context);
      }
    } while (::FindNextFileA(listing, &entry));
    const DWORD ended = ::GetLastError();
    const bool complete = ended == ERROR_NO_MORE_FILES;
    if (!complete) NoteFailure(ErrnoOf(ended));
    ::FindClose(listing);
    return complete;
  }
};

}  // namespace

FileSystem& NativeFiles() {
  static Win32FileSystem files;
  return files;
}

}  // namespace marlix::platform
