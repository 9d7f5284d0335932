// The page sink: every file of a run made new inside the held folder, in one
// write, never replacing anything, and counted and reported as written or
// lost; and the line separator every page is built with.
#include "engine/output/page_sink.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "support/allocation.h"
#include "support/faulty_file_system.h"
#include "support/file_names.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::ListFolder;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

// What a listener hears of the files.
struct Heard : Diagnostics {
  std::vector<std::string> events;
  void OutputWritten(const char* path) override { events.push_back(Event('+', path)); }
  void OutputNotCreated(const char* path, int error) override {
    events.push_back(Event('!', path).append(" ").append(std::to_string(error)));
  }
  void OutputNotWritten(const char* path, int error) override {
    events.push_back(Event('-', path).append(" ").append(std::to_string(error)));
  }
  void FolderNotCreated(const char* path, int error) override {
    events.push_back(Event('d', path).append(" ").append(std::to_string(error)));
  }
  static std::string Event(char kind, const std::string& path) {
    return std::string(1, kind).append(path);
  }
};

TEST(AppendLine, SeparatesLinesAndNeverEndsTheText) {
  TextString text;
  AppendLine(text, "");  // nothing yet: no separator before an empty first line
  AppendLine(text, "a");
  AppendLine(text, TextString("b"));
  AppendLine(text, "");
  EXPECT_EQ(text, "a\r\nb\r\n");
}

TEST(PageSink, WritesNewFilesAndNeverReplacesOne) {
  ScratchFolder scratch;
  const std::string out = scratch / "out";
  std::filesystem::create_directory(out);
  WriteFileBytes(out + "/old.htm", "old");
  Heard heard;
  {
    PageSink sink(&heard);
    ASSERT_TRUE(sink.Hold(out.c_str()));
    EXPECT_TRUE(sink.Write("a.htm", TextString("x\r\ny")));
    EXPECT_FALSE(sink.Write("old.htm", TextString("new")));
    EXPECT_FALSE(sink.Write("a.htm", TextString("again")));
    // Only bare names, directly inside the folder.
    for (const char* name : {"", ".", "..", "sub/b.htm", "../b.htm"}) {
      EXPECT_FALSE(sink.Write(name, TextString("z"))) << name;
    }
    EXPECT_EQ(sink.Written(), 1u);
    EXPECT_EQ(sink.Lost(), 7u);
  }
  EXPECT_EQ(ReadFileBytes(out + "/a.htm"), "x\r\ny");
  EXPECT_EQ(ReadFileBytes(out + "/old.htm"), "old");
  EXPECT_EQ(ListFolder(out), "a.htm old.htm");
  EXPECT_EQ(ListFolder(scratch.Path()), "out");
  ASSERT_EQ(heard.events.size(), 8u);
  EXPECT_EQ(heard.events[0], Heard::Event('+', JoinPath(out.c_str(), "a.htm").CStr()));
  EXPECT_EQ(heard.events[1], Heard::Event('!', JoinPath(out.c_str(), "old.htm").CStr())
                                 .append(" ")
                                 .append(std::to_string(EEXIST)));
}

TEST(PageSink, HoldsOnlyAnExistingFolderThatIsNoLink) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "real");
  WriteFileBytes(scratch / "file", "x");
  for (const std::string& path : {scratch / "missing", scratch / "file"}) {
    PageSink sink;
    EXPECT_FALSE(sink.Hold(path.c_str())) << path;
    EXPECT_FALSE(sink.Write("a.htm", TextString("x")));
    EXPECT_EQ(sink.Lost(), 1u);
  }
#ifndef _WIN32
  std::filesystem::create_directory_symlink(scratch / "real", scratch / "link");
  for (const std::string& path : {scratch / "link", scratch / "link" + "/"}) {
    PageSink sink;
    EXPECT_FALSE(sink.Hold(path.c_str())) << path;
  }
#endif
  PageSink sink;
  EXPECT_TRUE(sink.Hold((scratch / "real" + std::string(1, kPathSeparator)).c_str()));
  EXPECT_TRUE(sink.Write("a.htm", TextString("x")));
  EXPECT_EQ(ListFolder(scratch / "real"), "a.htm");
}

TEST(PageSink, AFullDiskOrAFailedCreateIsALoss) {
  ScratchFolder scratch;
  FaultyFileSystem faulty;
  faulty.diskFullFor = {"big.htm"};
  faulty.diskFullAfterBytes = 4;
  faulty.refuseCreate = {"refused.htm"};
  platform::ScopedFileSystem guard(faulty);
  Heard heard;
  PageSink sink(&heard);
  ASSERT_TRUE(sink.Hold(scratch.Path().c_str()));
  EXPECT_FALSE(sink.Write("big.htm", TextString("0123456789")));
  EXPECT_FALSE(sink.Write("refused.htm", TextString("x")));
  EXPECT_TRUE(sink.Write("small.htm", TextString("abc")));
  EXPECT_EQ(sink.Written(), 1u);
  EXPECT_EQ(sink.Lost(), 2u);
  EXPECT_EQ(ReadFileBytes(scratch / "big.htm"), "0123");
  ASSERT_EQ(heard.events.size(), 3u);
  EXPECT_EQ(heard.events[0].substr(0, 1), "-");  // made, but not written in full
  EXPECT_EQ(heard.events[1].substr(0, 1), "!");  // never made
}

TEST(PageSink, AClaimedFileIsMadeAtOnceAndFilledLater) {
  ScratchFolder scratch;
  {
    PageSink sink;
    ASSERT_TRUE(sink.Hold(scratch.Path().c_str()));
    ASSERT_TRUE(sink.Claim("Index.htm"));
    EXPECT_EQ(ListFolder(scratch.Path()), "Index.htm");
    EXPECT_TRUE(sink.Write("other.htm", TextString("o")));
    EXPECT_TRUE(sink.Write("Index.htm", TextString("contents")));
    EXPECT_FALSE(sink.Write("Index.htm", TextString("twice")));  // claimed once, written once
    EXPECT_EQ(sink.Written(), 2u);
    EXPECT_FALSE(sink.Claim("other.htm"));  // exists: never replaced
  }
  EXPECT_EQ(ReadFileBytes(scratch / "Index.htm"), "contents");
  EXPECT_EQ(ReadFileBytes(scratch / "other.htm"), "o");

  // A claimed file that is never filled is a loss, not a silent empty file.
  ScratchFolder second;
  Heard heard;
  {
    PageSink sink(&heard);
    ASSERT_TRUE(sink.Hold(second.Path().c_str()));
    ASSERT_TRUE(sink.Claim("Index.htm"));
  }
  ASSERT_EQ(heard.events.size(), 1u);
  EXPECT_EQ(heard.events[0].substr(0, 1), "-");
}

TEST(PageSink, AFileBuiltWhileMemoryRanOutOrKnownShortIsALoss) {
  ScratchFolder scratch;
  Heard heard;
  PageSink sink(&heard);
  ASSERT_TRUE(sink.Hold(scratch.Path().c_str()));
  EXPECT_TRUE(sink.Write("before.htm", TextString("b")));
  TextString page("a page longer than a short string's room");
  {
    ScopedAllocationFailure failure(0);
    page += page;  // refused: the page is left empty
  }
  EXPECT_FALSE(sink.Write("short.htm", page));
  EXPECT_TRUE(sink.Write("after.htm", TextString("a")));  // only the file built meanwhile
  EXPECT_FALSE(sink.Write("listed.htm", TextString("l"), false, EIO));
  EXPECT_EQ(sink.Written(), 2u);
  EXPECT_EQ(sink.Lost(), 2u);
  ASSERT_EQ(heard.events.size(), 4u);
  EXPECT_EQ(heard.events[1].substr(0, 1), "-");
  EXPECT_NE(heard.events[1].find(std::string(" ").append(std::to_string(ENOMEM))),
            std::string::npos);
  EXPECT_NE(heard.events[3].find(std::string(" ").append(std::to_string(EIO))),
            std::string::npos);
}

// Folders made inside the new folder: each made new and entered, files
// written into the one entered last, paths told with every folder on the
// way, and the folder left again on the way out.
TEST(PageSink, WritesIntoTheFoldersItEnters) {
  ScratchFolder scratch;
  const std::string out = scratch / "out";
  std::filesystem::create_directory(out);
  std::filesystem::create_directory(out + "/taken");
  const std::string sep(1, kPathSeparator);
  const std::string bytes("SQLite\0\x01\0", 9);  // zero bytes go in as they are
  Heard heard;
  {
    PageSink sink(&heard);
    ASSERT_TRUE(sink.Hold(out.c_str()));
    EXPECT_FALSE(sink.EnterFolder("taken"));  // an existing folder is never reused
    EXPECT_FALSE(sink.EnterFolder("a/b"));
    ASSERT_TRUE(sink.EnterFolder("Contents"));
    ASSERT_TRUE(sink.EnterFolder("Resources"));
    EXPECT_TRUE(sink.Write("index", bytes.data(), bytes.size()));
    ASSERT_TRUE(sink.EnterFolder("Documents"));
    EXPECT_FALSE(sink.EnterFolder("deeper"));  // past the depth the sink keeps
    EXPECT_EQ(std::string(sink.PathOf("Index.htm")),
              out + sep + "Contents" + sep + "Resources" + sep + "Documents" + sep + "Index.htm");
    ASSERT_TRUE(sink.Claim("Index.htm"));
    EXPECT_TRUE(sink.Write("a.htm", TextString("a")));
    sink.LeaveFolder();
    EXPECT_TRUE(sink.Write("Index.htm", TextString("contents")));  // the claimed file, left behind
    sink.LeaveFolder();
    EXPECT_TRUE(sink.Write("Info.plist", TextString("p")));
    sink.LeaveFolder();
    sink.LeaveFolder();  // nothing left to leave: stays in the new folder
    EXPECT_TRUE(sink.Write("icon.png", TextString("i")));
    EXPECT_EQ(sink.Written(), 5u);
    EXPECT_EQ(sink.Lost(), 0u);
  }
  EXPECT_EQ(ListFolder(out), "Contents icon.png taken");
  EXPECT_EQ(ListFolder(out + "/Contents"), "Info.plist Resources");
  EXPECT_EQ(ListFolder(out + "/Contents/Resources"), "Documents index");
  EXPECT_EQ(ReadFileBytes(out + "/Contents/Resources/index"), bytes);
  EXPECT_EQ(ReadFileBytes(out + "/Contents/Resources/Documents/Index.htm"), "contents");
  EXPECT_EQ(ListFolder(out + "/Contents/Resources/Documents"), "Index.htm a.htm");
  EXPECT_EQ(ListFolder(out + "/taken"), "");
  ASSERT_EQ(heard.events.size(), 8u);
  EXPECT_EQ(heard.events[0], Heard::Event('d', out + sep + "taken").append(" ").append(
                                 std::to_string(EEXIST)));
  EXPECT_EQ(heard.events[1].substr(0, 1), "d");
  EXPECT_EQ(heard.events[2], Heard::Event('+', out + sep + "Contents" + sep + "Resources" + sep +
                                                   "index"));
  EXPECT_EQ(heard.events[3].substr(0, 1), "d");
  EXPECT_EQ(heard.events[5], Heard::Event('+', out + sep + "Contents" + sep + "Resources" + sep +
                                                   "Documents" + sep + "Index.htm"));
  EXPECT_EQ(heard.events[7], Heard::Event('+', out + sep + "icon.png"));
}

#ifndef _WIN32
// Entered folders are reached through the handles alone: the new folder
// moved away and a link put in its place send nothing elsewhere.
TEST(PageSink, EnteredFoldersFollowTheHeldFolder) {
  ScratchFolder scratch;
  const std::string out = scratch / "out";
  std::filesystem::create_directory(out);
  std::filesystem::create_directory(scratch / "elsewhere");
  PageSink sink;
  ASSERT_TRUE(sink.Hold(out.c_str()));
  std::filesystem::rename(out, scratch / "moved");
  std::filesystem::create_directory_symlink(scratch / "elsewhere", out);
  ASSERT_TRUE(sink.EnterFolder("Contents"));
  EXPECT_TRUE(sink.Write("Info.plist", TextString("p")));
  EXPECT_EQ(ListFolder(scratch / "moved/Contents"), "Info.plist");
  EXPECT_EQ(ListFolder(scratch / "elsewhere"), "");
}
#endif

TEST(PageSink, AFolderThatCannotBeMadeIsToldAndNotEntered) {
  ScratchFolder scratch;
  FaultyFileSystem faulty;
  faulty.refuseFolder = {"Resources"};
  platform::ScopedFileSystem guard(faulty);
  Heard heard;
  PageSink sink(&heard);
  ASSERT_TRUE(sink.Hold(scratch.Path().c_str()));
  ASSERT_TRUE(sink.EnterFolder("Contents"));
  EXPECT_FALSE(sink.EnterFolder("Resources"));
  EXPECT_TRUE(sink.Write("Info.plist", TextString("p")));  // still in Contents
  EXPECT_EQ(ListFolder(scratch / "Contents"), "Info.plist");
  ASSERT_EQ(heard.events.size(), 2u);
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ(heard.events[0], Heard::Event('d', scratch.Path() + sep + "Contents" + sep +
                                                   "Resources")
                                 .append(" ")
                                 .append(std::to_string(EACCES)));
}

TEST(PageSink, ListsTheFolderItHolds) {
  ScratchFolder scratch;
  const std::string out = scratch / "out";
  std::filesystem::create_directory(out);
  PageSink sink;
  ASSERT_TRUE(sink.Hold(out.c_str()));
  sink.Write("b.htm", TextString("b"));
  sink.Write("A.htm", TextString("a"));
  sink.Write("c.hhk", TextString("c"));
#ifndef _WIN32
  // Moved away and replaced: the sink still lists and writes the folder it holds.
  std::filesystem::rename(out, scratch / "moved");
  std::filesystem::create_directory(out);
  EXPECT_TRUE(sink.Write("d.htm", TextString("d")));
  EXPECT_EQ(ListFolder(out), "");
#endif
  StringList names;
  int whyShort = -1;
  EXPECT_TRUE(sink.List("*.htm", names, whyShort));
  EXPECT_EQ(whyShort, 0);
  std::string listed;
  for (std::uint32_t i = 0; i < names.Count(); ++i) listed += std::string(names.At(i).CStr()) + " ";
#ifndef _WIN32
  EXPECT_EQ(listed, "A.htm b.htm d.htm ");
#else
  EXPECT_EQ(names.Count(), 2u);
#endif
}

}  // namespace
}  // namespace marlix
