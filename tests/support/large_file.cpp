#include "support/large_file.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <winioctl.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace marlix::testing {

#ifdef _WIN32
std::string MakeLargeFile(const std::string& path, const std::string& head, std::int64_t size) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "cannot create " + path;
  std::string why;
  DWORD written = 0;
  DWORD returned = 0;
  LARGE_INTEGER end;
  end.QuadPart = size;
  if (!::WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr) ||
      written != head.size()) {
    why = "cannot write " + path;
  } else if (!::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned,
                                nullptr)) {
    // Extended without being sparse, the file would take its whole size on disk.
    why = "the file system cannot keep " + path + " sparse";
  } else if (!::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file)) {
    why = "cannot extend " + path + " to " + std::to_string(size) + " bytes";
  }
  ::CloseHandle(file);
  return why;
}
#else
std::string MakeLargeFile(const std::string& path, const std::string& head, std::int64_t size) {
  int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (file < 0) return "cannot create " + path + ": " + std::strerror(errno);
  std::string why;
  if (::write(file, head.data(), head.size()) != static_cast<ssize_t>(head.size())) {
    why = "cannot write " + path + ": " + std::strerror(errno);
  } else if (::ftruncate(file, static_cast<off_t>(size)) != 0) {
    why = "cannot extend " + path + " to " + std::to_string(size) + " bytes: " + std::strerror(errno);
  }
  ::close(file);
  return why;
}
#endif

}  // namespace marlix::testing
