#include "support/platform/file_system.h"

#include <cerrno>

namespace marlix::platform {
namespace {
FileSystem* current = nullptr;
}

int FileSystem::LastError() const { return errno; }

std::int64_t FileSystem::ModifiedTime(FileHandle /*file*/) { return -1; }

FileSystem& Files() { return current ? *current : NativeFiles(); }

ScopedFileSystem::ScopedFileSystem(FileSystem& replacement) : previous_(current) {
  current = &replacement;
}

ScopedFileSystem::~ScopedFileSystem() { current = previous_; }

}  // namespace marlix::platform
