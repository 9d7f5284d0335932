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
