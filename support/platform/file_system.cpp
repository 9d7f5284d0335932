#include "support/platform/file_system.h"

namespace marlix::platform {
namespace {
FileSystem* current = nullptr;
}

FileSystem& Files() { return current ? *current : NativeFiles(); }

ScopedFileSystem::ScopedFileSystem(FileSystem& replacement) : previous_(current) {
  current = &replacement;
}

ScopedFileSystem::~ScopedFileSystem() { current = previous_; }

}  // namespace marlix::platform
