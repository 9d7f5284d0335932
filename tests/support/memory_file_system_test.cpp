// The file system in memory that the fuzz targets judge the program by: a
// conversion there must give the pinned output byte for byte, whatever sizes
// its reads come in, and its bookkeeping (open handles, where files were
// created, nothing replaced) must tell the truth.
#include "support/memory_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/conversion_driver.h"
#include "support/scratch_folder.h"

namespace marlix::platform {
namespace {

using testing::ReadFileBytes;

TEST(MemoryFileSystem, ConversionGivesThePinnedOutputInAnyReadSizes) {
  const std::string pinned = std::string(MARLIX_TEST_DATA) + "/pinned/basic";
  // One file system, reset before each conversion as the fuzz target does:
  // nothing of an earlier one may show in the next.
  MemoryFileSystem files;
  for (const std::vector<std::uint32_t>& sizes :
       {std::vector<std::uint32_t>{}, {1}, {7, 0, 80, 3}, {81, 82, 1}}) {
    files.Reset();
    files.faults.readSizes = sizes;
    ASSERT_TRUE(files.AddFolder("/src"));
    ASSERT_TRUE(files.AddFolder("/dst"));
    for (const auto& entry : std::filesystem::directory_iterator(pinned + "/source")) {
      ASSERT_TRUE(files.AddFile("/src/" + entry.path().filename().string(),
                                ReadFileBytes(entry.path().string())));
    }
    {
      ScopedFileSystem guard(files);
      ConversionRequest request{"/src", "/dst/", "out"};
      ASSERT_EQ(RunConversion(request), ConversionOutcome::Completed);
    }
    std::vector<std::string> expected;
    for (const auto& entry : std::filesystem::directory_iterator(pinned + "/expected")) {
      const std::string name = entry.path().filename().string();
      expected.push_back(name);
      std::string bytes;
      ASSERT_TRUE(files.FileBytes("/dst/out/" + name, bytes)) << name;
      EXPECT_EQ(bytes, ReadFileBytes(entry.path().string())) << name;
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files.Names("/dst/out"), expected);
    EXPECT_EQ(files.OpenFiles(), 0u);
    EXPECT_EQ(files.HeldFolders(), 0u);
    EXPECT_EQ(files.CreatedInFolders(), std::vector<std::string>(expected.size(), "/dst/out"));
  }
}

TEST(MemoryFileSystem, HeldFoldersFollowARenameAndNothingIsReplaced) {
  MemoryFileSystem files;
  ASSERT_TRUE(files.AddFolder("/dst"));
  ASSERT_TRUE(files.AddFolder("/dst/out"));
  ASSERT_TRUE(files.AddFile("/dst/out/kept.htm", "old"));
  ScopedFileSystem guard(files);
  FolderHandle held = files.HoldFolder("/dst/out/");
  ASSERT_NE(held, kNoFolder);
  ASSERT_TRUE(files.Rename("/dst/out", "/moved"));
  ASSERT_TRUE(files.AddFolder("/dst/out"));  // something else in its place

  FileHandle file = files.CreateNewIn(held, "new.htm");
  ASSERT_NE(file, kNoFile);
  EXPECT_TRUE(files.Write(file, "abc", 3));
  EXPECT_EQ(files.OpenFiles(), 1u);
  EXPECT_TRUE(files.Close(file));
  EXPECT_EQ(files.CreateNewIn(held, "kept.htm"), kNoFile);
  for (const char* name : {"", ".", "..", "a/b"}) EXPECT_EQ(files.CreateNewIn(held, name), kNoFile);

  EXPECT_EQ(files.AllFiles(), (std::map<std::string, std::string>{{"/moved/kept.htm", "old"},
                                                                  {"/moved/new.htm", "abc"}}));
  EXPECT_EQ(files.CreatedInFolders(), std::vector<std::string>{"/moved"});
  EXPECT_TRUE(files.ReleaseFolder(held));
  EXPECT_EQ(files.HeldFolders(), 0u);
}

}  // namespace
}  // namespace marlix::platform
