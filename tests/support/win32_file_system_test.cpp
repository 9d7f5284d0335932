// The Win32 file system: device names are never read or written as files,
// and never make a call wait.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "engine/format/source_discovery.h"
#include "support/platform/file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using platform::kNoFile;
using platform::NativeFiles;
using testing::ScratchFolder;

// Opens path on another thread, or creates name in folder; fails the test
// when the call does not return.
platform::FileHandle OpenWithin(const std::string& path, bool create,
                                platform::FolderHandle folder = platform::kNoFolder) {
  auto opened = std::async(std::launch::async, [path, create, folder] {
    return create ? NativeFiles().CreateNewIn(folder, path.c_str())
                  : NativeFiles().OpenExisting(path.c_str());
  });
  if (opened.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << "opening " << path << " blocks";
    std::abort();  // the blocked thread cannot be stopped
  }
  return opened.get();
}

TEST(Win32FileSystem, DevicesAreRefusedAtOnce) {
  ScratchFolder folder;
  const std::vector<std::string> devices{
      folder / "NUL.txt", folder / "CON.txt", folder / "COM1.txt", "NUL", "CON", "\\\\.\\NUL",
  };
  for (const std::string& path : devices) {
    platform::FileHandle file = OpenWithin(path, false);
    EXPECT_EQ(file, kNoFile) << path;
    if (file != kNoFile) NativeFiles().Close(file);
  }
  const platform::FolderHandle held = NativeFiles().HoldFolder(folder.Path().c_str());
  ASSERT_NE(held, platform::kNoFolder);
  for (const char* name : {"NUL.txt", "CON.txt", "COM1.txt", "NUL", "CON"}) {
    platform::FileHandle file = OpenWithin(name, true, held);
    EXPECT_EQ(file, kNoFile) << name;
    if (file != kNoFile) NativeFiles().Close(file);
  }
  NativeFiles().ReleaseFolder(held);
}

TEST(Win32FileSystem, DeviceNamedFilesAreNoSources) {
  // Disk files called NUL.txt, CON.txt and COM1.txt, all marked as sources,
  // made beside real.txt by the build: Windows itself cannot make them.
  SourceFileList files;
  DiscoverSourceFiles(MARLIX_DEVICE_NAMES, files);
  ASSERT_EQ(files.Count(), 1u);
  EXPECT_EQ(std::string(files.At(0).CStr()), testing::JoinedPath(MARLIX_DEVICE_NAMES, "real.txt"));
}

}  // namespace
}  // namespace marlix
