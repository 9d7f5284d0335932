// A file system that passes every call to the real one but can be told to
// fail some of them, to play a full disk, a file that vanished or a read error.
// Each failure it plays sets errno as the real failure would.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "support/platform/file_system.h"

namespace marlix::testing {

class FaultyFileSystem : public platform::FileSystem {
 public:
  // Files whose name (the last path component) is listed cannot be created.
  std::set<std::string> refuseCreate;
  // Writes to these files fail once this many bytes have gone into them, as
  // on a full disk.
  std::set<std::string> diskFullFor;
  std::uint64_t diskFullAfterBytes = 0;
  // Opening these source files for reading fails from the given open on
  // (counted per name, 1 = the first open).
  std::set<std::string> vanishOnOpen;
  unsigned vanishFromOpen = 1;
  // Opening these files fails with a permission error; asking their size fails
  // with an input/output error.
  std::set<std::string> refuseOpen;
  std::set<std::string> sizeFailsFor;
  // Reads from these files fail once this many bytes have been read.
  std::set<std::string> readFailsFor;
  std::uint64_t readFailsAfterBytes = 0;
  // Sizes of these files are reported this many bytes larger than they are,
  // as if the file shrank while it was read.
  std::set<std::string> sizeOverstatedFor;
  std::int64_t sizeOverstatement = 0;
  // Listings of these folders (by last component) fail after visiting this
  // many names, as when readdir reports an error part-way.
  std::set<std::string> listingFailsFor;
  unsigned listingFailsAfterNames = 0;
  // Folders whose name (the last path component) is listed cannot be held.
  std::set<std::string> refuseHold;
  // Folders whose name is listed cannot be made inside a held folder.
  std::set<std::string> refuseFolder;
  // Called with the file's name just before each output file is created, to
  // play another process changing the folder mid-run.
  std::function<void(const std::string& name)> beforeCreate;

  platform::FileHandle OpenExisting(const char* path) override;
  std::int64_t Read(platform::FileHandle file, void* buffer, std::size_t size) override;
  bool Write(platform::FileHandle file, const void* bytes, std::size_t size) override;
  std::int64_t Size(platform::FileHandle file) override;
  std::int64_t ModifiedTime(platform::FileHandle file) override {
    return platform::NativeFiles().ModifiedTime(file);
  }
  bool Close(platform::FileHandle file) override;
  bool MakeFolder(const char* path) override;
  bool ListFolder(const char* folder, platform::NameVisitor visit, void* context) override;
  platform::FolderHandle HoldFolder(const char* path) override;
  platform::FileHandle CreateNewIn(platform::FolderHandle folder, const char* name) override;
  platform::FolderHandle MakeFolderIn(platform::FolderHandle folder, const char* name) override;
  bool ListHeldFolder(platform::FolderHandle folder, platform::NameVisitor visit,
                      void* context) override;
  bool ReleaseFolder(platform::FolderHandle folder) override;

  unsigned failedWrites = 0;
  unsigned readCalls = 0;
  unsigned createsInHeld = 0;  // output files created relative to a held folder

 private:
  struct OpenFile {
    std::string name;
    std::uint64_t bytes = 0;
  };
  std::map<platform::FileHandle, OpenFile> open_;
  std::map<std::string, unsigned> opensByName_;
  std::map<platform::FolderHandle, std::string> held_;  // last component of each
};

// The last component of a path.
std::string BaseName(const std::string& path);

}  // namespace marlix::testing
