// Which creates and listings a held folder takes over: exactly the paths
// directly inside it, however its own path is spelled.
#include "support/held_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "support/faulty_file_system.h"
#include "support/file_names.h"
#include "support/output_file.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::ListFolder;
using testing::ScratchFolder;

// A path written with "/" in this platform's spelling.
std::string Native(std::string path) {
  for (char& c : path) {
    if (c == '/') c = kPathSeparator;
  }
  return path;
}

bool CreateAndClose(const std::string& path) {
  OutputFile file;
  return file.Create(path.c_str()) && file.Close();
}

TEST(HeldFolder, CreatesDirectlyInsideThroughTheHandleOnly) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "out");
  std::filesystem::create_directory(scratch / "outer");
  std::filesystem::create_directory(Native(scratch / "out/sub"));
  FaultyFileSystem faulty;
  platform::ScopedFileSystem guard(faulty);
  for (const std::string& spelling : {scratch / "out", Native(scratch / "out/")}) {
    SCOPED_TRACE(spelling);
    faulty.createsByPath = faulty.createsInHeld = 0;
    std::filesystem::remove_all(scratch / "out");
    std::filesystem::remove_all(scratch / "outer");
    std::filesystem::create_directory(scratch / "out");
    std::filesystem::create_directory(scratch / "outer");
    std::filesystem::create_directory(Native(scratch / "out/sub"));
    {
      HeldFolder held;
      ASSERT_TRUE(held.Hold(spelling.c_str()));
      EXPECT_TRUE(CreateAndClose(JoinPath(spelling.c_str(), "Index.htm").CStr()));
      EXPECT_EQ(faulty.createsInHeld, 1u);
      // Not inside, a sibling whose name starts the same: refused too, since
      // nothing is written outside a folder while it is held.
      EXPECT_FALSE(CreateAndClose(Native(scratch / "outer/a.htm")));
      EXPECT_EQ(faulty.createsByPath, 0u);
      // Inside but deeper, or no name at all: refused, never made by path.
      EXPECT_FALSE(CreateAndClose(Native(scratch / "out/sub/a.htm")));
      EXPECT_FALSE(CreateAndClose(Native(scratch / "out/")));
      EXPECT_FALSE(CreateAndClose(Native(scratch / "out/..")));
      EXPECT_EQ(faulty.createsByPath, 0u);

      StringList names;
      EXPECT_TRUE(ListFiles(spelling.c_str(), "*", names));
      EXPECT_EQ(names.Count(), 1u);
      EXPECT_TRUE(held.Release());
      EXPECT_FALSE(held.Release());
    }
    EXPECT_EQ(ListFolder(scratch / "out"), "Index.htm sub");
    EXPECT_EQ(ListFolder(Native(scratch / "out/sub")), "");
    // Released: the same path is created by path again.
    EXPECT_TRUE(CreateAndClose(Native(scratch / "out/later.htm")));
    EXPECT_EQ(faulty.createsByPath, 1u);
  }
}

// A tree of new folders, each made through its parent's handle and held in
// turn: every file goes through the handle of the folder it lies directly in.
TEST(HeldFolder, NewFoldersInsideAreMadeAndHeldThroughTheirParent) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "out");
  testing::WriteFileBytes(Native(scratch / "out/taken"), "x");
  FaultyFileSystem faulty;
  platform::ScopedFileSystem guard(faulty);
  faulty.refuseFolder = {"refused"};
  {
    HeldFolder out, contents, resources, documents;
    ASSERT_TRUE(out.Hold((scratch / "out").c_str()));
    ASSERT_TRUE(contents.HoldNewIn(out, "Contents"));
    ASSERT_TRUE(resources.HoldNewIn(contents, "Resources"));
    ASSERT_TRUE(documents.HoldNewIn(resources, "Documents"));
    EXPECT_TRUE(CreateAndClose(Native(scratch / "out/icon.png")));
    EXPECT_TRUE(CreateAndClose(Native(scratch / "out/Contents/Info.plist")));
    EXPECT_TRUE(CreateAndClose(Native(scratch / "out/Contents/Resources/Documents/Index.htm")));
    EXPECT_EQ(faulty.createsInHeld, 3u);
    EXPECT_EQ(faulty.createsByPath, 0u);

    // An existing folder is never reused; what is no bare name is refused;
    // neither is a refused folder held.
    HeldFolder again;
    EXPECT_FALSE(again.HoldNewIn(out, "Contents"));
    EXPECT_FALSE(again.HoldNewIn(out, "taken"));
    for (const char* name : {"", ".", "..", "a/b"}) {
      EXPECT_FALSE(again.HoldNewIn(out, name)) << name;
    }
    EXPECT_FALSE(again.HoldNewIn(out, "refused"));
    EXPECT_EQ(platform::Files().LastError(), EACCES);
    EXPECT_FALSE(again.HoldNewIn(again, "self"));
    HeldFolder unheld;
    EXPECT_FALSE(again.HoldNewIn(unheld, "orphan"));
    EXPECT_FALSE(again.IsHeld());
    EXPECT_TRUE(documents.Release());
  }
  EXPECT_EQ(ListFolder(scratch / "out"), "Contents icon.png taken");
  EXPECT_EQ(ListFolder(Native(scratch / "out/Contents")), "Info.plist Resources");
  EXPECT_EQ(ListFolder(Native(scratch / "out/Contents/Resources/Documents")), "Index.htm");
}

// Whatever order folders were held in, a path goes to the deepest held
// folder it lies in, never to an outer one with the rest as its name.
TEST(HeldFolder, ThePathGoesToTheDeepestHeldFolder) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "out");
  std::filesystem::create_directory(Native(scratch / "out/sub"));
  FaultyFileSystem faulty;
  platform::ScopedFileSystem guard(faulty);
  HeldFolder inner, outer;
  ASSERT_TRUE(inner.Hold(Native(scratch / "out/sub").c_str()));
  ASSERT_TRUE(outer.Hold((scratch / "out").c_str()));
  EXPECT_TRUE(CreateAndClose(Native(scratch / "out/sub/a.htm")));
  EXPECT_TRUE(CreateAndClose(Native(scratch / "out/b.htm")));
  EXPECT_EQ(faulty.createsInHeld, 2u);
  EXPECT_EQ(ListFolder(Native(scratch / "out/sub")), "a.htm");
  EXPECT_EQ(ListFolder(scratch / "out"), "b.htm sub");
}

TEST(HeldFolder, RefusesWhatIsNoFolderOrALink) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "real");
  testing::WriteFileBytes(scratch / "file", "x");
  HeldFolder held;
  EXPECT_FALSE(held.Hold((scratch / "missing").c_str()));
  EXPECT_FALSE(held.Hold((scratch / "file").c_str()));
#ifndef _WIN32
  std::filesystem::create_directory_symlink(scratch / "real", scratch / "link");
  EXPECT_FALSE(held.Hold((scratch / "link").c_str()));
  EXPECT_FALSE(held.Hold((scratch / "link/").c_str()));
#endif
  EXPECT_FALSE(held.IsHeld());
  EXPECT_TRUE(held.Hold((scratch / "real").c_str()));
  EXPECT_TRUE(held.IsHeld());
}

}  // namespace
}  // namespace marlix
