// Win32 file and folder calls, ANSI entry points.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstring>

#include "support/platform/file_system.h"
#include "support/text_string.h"

namespace marlix::platform {
namespace {

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
FileHandle FromHandle(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

// Only disk files are read or written: a name such as CON.txt or NUL.txt, or
// a \\.\ path, opens a device, which may block a read or never end.
FileHandle KeepDiskFile(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) return kNoFile;
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
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

  FileHandle CreateNew(const char* path) override {
    // CREATE_NEW fails when anything of that name exists: nothing is replaced.
    return KeepDiskFile(::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  std::int64_t Read(FileHandle file, void* buffer, std::size_t size) override {
    DWORD read = 0;
    DWORD wanted = static_cast<DWORD>(size < kLargestTransfer ? size : kLargestTransfer);
    if (!::ReadFile(ToHandle(file), buffer, wanted, &read, nullptr)) return -1;
    return read;
  }

  bool Write(FileHandle file, const void* bytes, std::size_t size) override {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
      DWORD written = 0;
      DWORD chunk = static_cast<DWORD>(size < kLargestTransfer ? size : kLargestTransfer);
      if (!::WriteFile(ToHandle(file), next, chunk, &written, nullptr) || written == 0) {
        return false;
      }
      next += written;
      size -= written;
    }
    return true;
  }

  std::int64_t Size(FileHandle file) override {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(ToHandle(file), &size)) return -1;
    return size.QuadPart;
  }

  bool Close(FileHandle file) override { return ::CloseHandle(ToHandle(file)) != 0; }

  bool MakeFolder(const char* path) override { return ::CreateDirectoryA(path, nullptr) != 0; }

  FolderHandle HoldFolder(const char* path) override {
    // A separator at the end is ignored (a drive root such as C:\ keeps it).
    std::size_t length = std::strlen(path);
    while (length > 3 && (path[length - 1] == '\\' || path[length - 1] == '/')) --length;
    if (length == 0 || length >= MAX_PATH) return kNoFolder;
    int index = 0;
    while (index < kHeldSlots && held[index].handle != INVALID_HANDLE_VALUE) ++index;
    if (index == kHeldSlots) return kNoFolder;
    HeldSlot& slot = held[index];
    std::memcpy(slot.path, path, length);
    slot.path[length] = 0;

    // The link itself when path is one (FILE_FLAG_OPEN_REPARSE_POINT), so
    // that a link is refused rather than followed.
    HANDLE handle = ::CreateFileA(slot.path, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return kNoFolder;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      ::CloseHandle(handle);
      return kNoFolder;
    }
    slot.handle = handle;
    return index;
  }

  FileHandle CreateNewIn(FolderHandle folder, const char* name) override {
    const HeldSlot* slot = SlotOf(folder);
    char path[MAX_PATH];
    if (slot == nullptr || !IsBareName(name) || !JoinInto(path, slot->path, name)) return kNoFile;
    return CreateNew(path);
  }

  bool ListHeldFolder(FolderHandle folder, NameVisitor visit, void* context) override {
    const HeldSlot* slot = SlotOf(folder);
    return slot != nullptr && ListFolder(slot->path, visit, context);
  }

  bool ReleaseFolder(FolderHandle folder) override {
    HeldSlot* slot = SlotOf(folder);
    if (slot == nullptr) return false;
    const bool closed = ::CloseHandle(slot->handle) != 0;
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
      return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    // In the order the search returns the names; folders are left out.
    do {
      if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0) {
        visit(entry.cFileName, context);
      }
    } while (::FindNextFileA(listing, &entry));
    const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
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
