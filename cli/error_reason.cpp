#include "cli/error_reason.h"

#include <cerrno>
#include <cstring>

namespace marlix {

const char* ErrorReason(int error, PathUse use) {
  switch (error) {
    case 0:
      return "reason unknown";
    case EEXIST:
      return "exists already";
    case ENOENT:
      // Making a folder fails so when its parent is missing; anything else
      // is missing itself.
      return use == PathUse::NewFolder ? "parent folder does not exist" : "does not exist";
    case ENOTDIR:
      return use == PathUse::ListedFolder ? "is not a folder"
                                          : "a part of the path is not a folder";
    case EACCES:
    case EPERM:
      return "permission denied";
    case EISDIR:
      return "is a folder";
    case ENXIO:
      return "is not a regular file";
    case ENOSPC:
      return "no space left on the device";
#ifdef EDQUOT
    case EDQUOT:
      return "disk quota exceeded";
#endif
    case EROFS:
      return "read-only file system";
    case ENAMETOOLONG:
      return "name too long";
#ifdef ELOOP
    case ELOOP:
      return "too many levels of symbolic links";
#endif
    case EMFILE:
    case ENFILE:
      return "too many open files";
    case ENOMEM:
      return "out of memory";
    case EIO:
      return "input/output error";
    default:
      return std::strerror(error);
  }
}

}  // namespace marlix
