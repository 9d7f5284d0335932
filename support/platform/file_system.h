// The raw file and folder calls the support library rests on. One
// implementation per platform lives beside this header; tests and fuzz
// targets may put a stand-in in place (ScopedFileSystem) to play a full disk,
// a vanished file or a failing folder listing.
//
// What a platform provides:
// - files: open an existing regular file for reading, read, write, learn the
//   size, close;
// - folders: make one folder, list the regular files of a folder by path;
// - held folders: a folder opened once and kept open, so that files are
//   created in it and it is listed through that handle, not through its path.
//   Whatever happens to the path meanwhile (the folder renamed, a link put in
//   its place), creating and listing reach the folder that was held, or fail.
//   Output files are only ever created this way, exclusively: nothing that
//   exists is replaced.
//   POSIX: open(O_DIRECTORY | O_NOFOLLOW), then openat relative to it.
//   Windows: a handle on the folder opened without FILE_SHARE_DELETE, which
//   stops it being renamed or removed while it is held.
//   A new folder can be made inside a held folder and held in turn, so that
//   an output tree of several levels is reached through handles only.
//   POSIX: mkdirat, then openat(O_DIRECTORY | O_NOFOLLOW) relative to the
//   parent. Windows: the parent's held path joined with the name, which the
//   parent's handle keeps naming it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace marlix::platform {

using FileHandle = std::intptr_t;
constexpr FileHandle kNoFile = -1;

using FolderHandle = std::intptr_t;
constexpr FolderHandle kNoFolder = -1;

// Called once per listed name; the name is the bare entry name.
using NameVisitor = void (*)(const char* name, void* context);

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // An existing regular file, read-only, others may read it too. kNoFile on
  // failure.
  virtual FileHandle OpenExisting(const char* path) = 0;
  // Reads up to size bytes at the current position: the count read, 0 at the
  // end of the file, -1 when the read failed.
  virtual std::int64_t Read(FileHandle file, void* buffer, std::size_t size) = 0;
  // Writes all size bytes at the current position; false when any is not written.
  virtual bool Write(FileHandle file, const void* bytes, std::size_t size) = 0;
  // The file's size in bytes, -1 when it cannot be learnt.
  virtual std::int64_t Size(FileHandle file) = 0;
  // When the file was last modified, in seconds since 1970 (UTC); -1 when it
  // cannot be learnt (this default, for file systems that keep no times).
  virtual std::int64_t ModifiedTime(FileHandle file);
  virtual bool Close(FileHandle file) = 0;

  // Creates one folder; its parent must exist and it must not.
  virtual bool MakeFolder(const char* path) = 0;
  // Visits the bare names of the regular files of folder (a link to a
  // regular file counts as one; folders and anything else are left out), in
  // whatever order the platform returns them: matching and ordering are done
  // above this layer. False when the folder cannot be opened or its listing
  // fails before the end; the names visited until then stand.
  virtual bool ListFolder(const char* folder, NameVisitor visit, void* context) = 0;

  // Opens the existing folder at path and holds it until ReleaseFolder. A
  // link at path is not followed (a separator at the end of path is ignored).
  // kNoFolder on failure.
  virtual FolderHandle HoldFolder(const char* path) = 0;
  // A new file for writing, name inside a held folder, created exclusively:
  // fails when anything exists there (a link included), never truncates or
  // replaces. name is one bare name: empty, ".", ".." or anything holding a
  // separator is refused. kNoFile on failure.
  virtual FileHandle CreateNewIn(FolderHandle folder, const char* name) = 0;
  // Makes the new folder name inside a held folder and holds it, as
  // HoldFolder would. name is one bare name, as for CreateNewIn, and nothing
  // may exist there yet: an existing folder is never reused. kNoFolder on
  // failure (a folder made but not held stays, empty).
  virtual FolderHandle MakeFolderIn(FolderHandle folder, const char* name) = 0;
  // ListFolder for a held folder, read through its handle.
  virtual bool ListHeldFolder(FolderHandle folder, NameVisitor visit, void* context) = 0;
  virtual bool ReleaseFolder(FolderHandle folder) = 0;
  // Why the last call that failed failed, as an errno value
  // (ENOENT, EEXIST, EACCES, ENOSPC, ...); read it straight after the failure.
  // This default returns errno; a platform with error codes of its own maps
  // them onto errno values.
  virtual int LastError() const;
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
