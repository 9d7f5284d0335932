// The raw file and folder calls the support library rests on. One
// implementation per platform lives beside this header; tests may put a
// stand-in in place (ScopedFileSystem) to play a full disk or a vanished file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace marlix::platform {

using FileHandle = std::intptr_t;
constexpr FileHandle kNoFile = -1;

// Called once per listed name; the name is the bare entry name.
using NameVisitor = void (*)(const char* name, void* context);

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // An existing file, read-only, others may read it too. kNoFile on failure.
  virtual FileHandle OpenExisting(const char* path) = 0;
  // A new file for writing, created exclusively: fails when anything exists at
  // path (a link included), never truncates or replaces. kNoFile on failure.
  virtual FileHandle CreateNew(const char* path) = 0;
  // Reads up to size bytes at the current position: the count read, 0 at the
  // end of the file, -1 when the read failed.
  virtual std::int64_t Read(FileHandle file, void* buffer, std::size_t size) = 0;
  // Writes all size bytes at the current position; false when any is not written.
  virtual bool Write(FileHandle file, const void* bytes, std::size_t size) = 0;
  // The file's size in bytes, -1 when it cannot be learnt.
  virtual std::int64_t Size(FileHandle file) = 0;
  virtual bool Close(FileHandle file) = 0;
  // Creates one folder; its parent must exist and it must not.
  virtual bool MakeFolder(const char* path) = 0;
  // Visits the bare names of the regular files of folder (a link to a
  // regular file counts as one; folders and anything else are left out), in
  // whatever order the platform returns them: matching and ordering are done
  // above this layer. False when the folder cannot be opened or its listing
  // fails before the end; the names visited until then stand.
  virtual bool ListFolder(const char* folder, NameVisitor visit, void* context) = 0;
};

// The file system in use: the platform's own unless a ScopedFileSystem says otherwise.
FileSystem& Files();
FileSystem& NativeFiles();

// Puts another file system in place for the life of this object.
class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem& replacement);
  ~ScopedFileSystem();
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

 private:
  FileSystem* previous_;
};

}  // namespace marlix::platform
