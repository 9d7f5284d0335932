// A whole file system in memory, for tests and fuzz targets: no disk, no
// scratch folders, and failures played on demand. Paths use "/" and start at
// the root "/"; a path without a leading "/" is taken from the root too.
// There are regular files and folders only (no links).
//
// It also keeps what a check after a run needs: which handles are still
// open, and in which folder every file the program created lies.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/platform/file_system.h"

namespace marlix::platform {

class MemoryFileSystem final : public FileSystem {
 public:
  // Failures to play. Each count is 1-based: 3 makes the third call of that
  // kind fail; 0 never fails it. Counts run over the life of the object.
  struct Faults {
    std::uint64_t openFailsAt = 0;
    std::uint64_t createFailsAt = 0;
    std::uint64_t readFailsAt = 0;   // and every later read of that file
    std::uint64_t writeFailsAt = 0;  // writes what fits of half the bytes, then fails
    std::uint64_t sizeFailsAt = 0;
    std::uint64_t closeFailsAt = 0;  // the handle is closed all the same
    std::uint64_t makeFolderFailsAt = 0;
    std::uint64_t holdFailsAt = 0;
    std::uint64_t listingFailsAt = 0;  // that listing fails after namesBeforeFailure names
    std::uint32_t namesBeforeFailure = 0;
    // Reads hand out at most these many bytes, taken in turn (0 in the list:
    // as many as asked). Empty: as many as asked.
    std::vector<std::uint32_t> readSizes;
  };
  Faults faults;

  MemoryFileSystem();
  // Back to what a new one is (the root alone, no faults, no counts, no
  // handles), keeping the room its files, names and lists grew to, for a
  // fuzz target that sets up a file system on every run.
  void Reset();

  // Set-up and inspection, outside the program's view: no faults, no counts.
  bool AddFolder(std::string_view path);
  bool AddFile(std::string_view path, std::string_view bytes);
  // Moves a file or folder to a new path whose parent exists and which is
  // free; open and held handles follow it.
  bool Rename(const std::string& from, const std::string& to);
  bool Exists(const std::string& path) const;
  bool IsFolder(const std::string& path) const;
  // The bytes of the file at path; false when there is none.
  bool FileBytes(const std::string& path, std::string& bytes) const;
  // The names in a folder, sorted by bytes, folders marked with a "/" after.
  std::vector<std::string> Names(const std::string& folder) const;
  // Every file, by full path.
  std::map<std::string, std::string> AllFiles() const;

  // Files open and folders held right now.
  std::size_t OpenFiles() const { return files_.size(); }
  std::size_t HeldFolders() const { return held_.size(); }
  // Full paths, as they stand now, of the folders that files were created in,
  // one per created file.
  std::vector<std::string> CreatedInFolders() const;
  // How many created files do not lie directly in folder as it stands now
  // (every one when there is no such folder). The same question as
  // CreatedInFolders asks, without a path made per file.
  std::size_t CreatedOutside(const std::string& folder) const;
  // Failures played so far.
  std::uint64_t FaultsPlayed() const { return faultsPlayed_; }

  FileHandle OpenExisting(const char* path) override;
  std::int64_t Read(FileHandle file, void* buffer, std::size_t size) override;
  bool Write(FileHandle file, const void* bytes, std::size_t size) override;
  std::int64_t Size(FileHandle file) override;
  bool Close(FileHandle file) override;
  bool MakeFolder(const char* path) override;
  bool ListFolder(const char* folder, NameVisitor visit, void* context) override;
  FolderHandle HoldFolder(const char* path) override;
  FileHandle CreateNewIn(FolderHandle folder, const char* name) override;
  bool ListHeldFolder(FolderHandle folder, NameVisitor visit, void* context) override;
  bool ReleaseFolder(FolderHandle folder) override;

 private:
  static constexpr int kNone = -1;
  struct Node {
    bool folder = false;
    int parent = kNone;
    std::string name;
    std::string bytes;                   // a file's content
    std::vector<int> order;   // a folder's entries in the order they were made
    std::vector<int> sorted;  // the same by name
  };
  struct OpenFile {
    int node;
    std::uint64_t position = 0;
    bool writing = false;
    bool readFailed = false;
  };

  bool Fault(std::uint64_t& calls, std::uint64_t failsAt);
  int Find(std::string_view path) const;
  // The folder that would hold path, and path's last component.
  int Parent(std::string_view path, std::string& name) const;
  // The entry of an open file or a held folder; nullptr when the handle is
  // not (or no longer) open.
  OpenFile* OpenEntry(FileHandle file);
  // The entry called name in folder, or kNone.
  int Entry(int folder, std::string_view name) const;
  // A node made from a spare one of an earlier life when there is one.
  int AddNode(int parent, std::string_view name, bool folder);
  // Puts node into folder's lists under its name, or takes it out.
  void Link(int folder, int node);
  void Unlink(int folder, int node);
  FileHandle CreateIn(int folder, std::string_view name);
  bool List(int folder, NameVisitor visit, void* context);
  std::string PathOf(int node) const;

  std::vector<Node> nodes_;  // the first used_ are in use; the rest are spare
  std::size_t used_ = 1;
  std::string name_;  // the last component of a path being made, kept for its room
  // Only a few handles are open at a time: plain lists, searched from the
  // front, that allocate nothing once they have grown.
  std::vector<std::pair<FileHandle, OpenFile>> files_;
  std::vector<std::pair<FolderHandle, int>> held_;
  std::vector<int> createdIn_;
  std::intptr_t nextHandle_ = 3;
  std::uint64_t opens_ = 0, creates_ = 0, reads_ = 0, writes_ = 0, sizes_ = 0, closes_ = 0,
                makeFolders_ = 0, holds_ = 0, listings_ = 0;
  std::size_t nextReadSize_ = 0;
  std::uint64_t faultsPlayed_ = 0;
};

}  // namespace marlix::platform
