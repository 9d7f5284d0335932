// OutputFile: CR LF as a separator between lines, exclusive creation, and
// failures that only show when the write buffer goes to disk.
#include "support/output_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "support/faulty_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::PathExists;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

class OutputFileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_ / name; }
  ScratchFolder folder_;
};

TEST_F(OutputFileTest, LineBreaksSeparateLines) {
  OutputFile out;
  ASSERT_TRUE(out.Create(Path("a.htm").c_str()));
  EXPECT_TRUE(out.WriteLine("a"));
  EXPECT_TRUE(out.WriteLine(TextString("b")));
  ASSERT_TRUE(out.Close());
  EXPECT_EQ(ReadFileBytes(Path("a.htm")), "a\r\nb");

  ASSERT_TRUE(out.Create(Path("b.htm").c_str()));
  out.WriteLine("a");
  out.WriteLine("b");
  EXPECT_TRUE(out.WriteBreaks(2));
  EXPECT_TRUE(out.WriteBreaks(0));
  ASSERT_TRUE(out.Close());
  EXPECT_EQ(ReadFileBytes(Path("b.htm")), "a\r\nb\r\n\r\n");

  // Write continues the line; the file is no longer empty after it.
  ASSERT_TRUE(out.Create(Path("c.htm").c_str()));
  EXPECT_TRUE(out.Write("x"));
  EXPECT_TRUE(out.Write(""));
  EXPECT_TRUE(out.WriteLine("y"));
  EXPECT_TRUE(out.Write(TextString("z")));
  ASSERT_TRUE(out.Close());
  EXPECT_EQ(ReadFileBytes(Path("c.htm")), "x\r\nyz");

  // An empty first line leaves the file empty, so the next has no separator;
  // on a file that holds something, an empty line is a bare separator.
  ASSERT_TRUE(out.Create(Path("d.htm").c_str()));
  EXPECT_TRUE(out.WriteLine(""));
  EXPECT_TRUE(out.WriteLine("z"));
  EXPECT_TRUE(out.WriteLine(""));
  ASSERT_TRUE(out.Close());
  EXPECT_EQ(ReadFileBytes(Path("d.htm")), "z\r\n");

  // Breaks alone count: a line after them gets its separator.
  ASSERT_TRUE(out.Create(Path("e.htm").c_str()));
  EXPECT_TRUE(out.WriteBreaks(1));
  EXPECT_TRUE(out.WriteLine("w"));
  ASSERT_TRUE(out.Close());
  EXPECT_EQ(ReadFileBytes(Path("e.htm")), "\r\n\r\nw");
}

TEST_F(OutputFileTest, ReusedForSeveralFilesEachStartsFresh) {
  OutputFile out;
  ASSERT_TRUE(out.Create(Path("one.htm").c_str()));
  out.WriteLine("first");
  out.WriteBreaks(1);
  // Create closes (and flushes) the open file before starting the next.
  ASSERT_TRUE(out.Create(TextString(Path("two.htm").c_str())));
  out.WriteLine("second");
  {
    OutputFile scoped;  // destruction closes and flushes too
    ASSERT_TRUE(scoped.Create(Path("three.htm").c_str()));
    scoped.WriteLine("third");
  }
  ASSERT_TRUE(out.Close());
  EXPECT_FALSE(out.Close());
  EXPECT_EQ(ReadFileBytes(Path("one.htm")), "first\r\n");
  EXPECT_EQ(ReadFileBytes(Path("two.htm")), "second");
  EXPECT_EQ(ReadFileBytes(Path("three.htm")), "third");
}

TEST_F(OutputFileTest, LongOutputKeepsEveryByteInOrder) {
  // Far more than the write buffer, in pieces of every size, one of them
  // larger than the buffer on its own.
  std::string expected;
  OutputFile out;
  ASSERT_TRUE(out.Create(Path("long.htm").c_str()));
  for (int i = 0; i < 4000; ++i) {
    std::string line =
        "<p>line " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), '.');
    ASSERT_TRUE(out.WriteLine(line.c_str()));
    expected += (i ? "\r\n" : "") + line;
    if (i == 2000) {
      std::string big(100 * 1024, 'B');
      ASSERT_TRUE(out.Write(big.c_str()));
      expected += big;
    }
  }
  ASSERT_TRUE(out.Close());
  EXPECT_EQ(ReadFileBytes(Path("long.htm")), expected);
}

TEST_F(OutputFileTest, CreateNeverReplacesAnything) {
  OutputFile out;
  WriteFileBytes(Path("old.htm"), "keep me");
  EXPECT_FALSE(out.Create(Path("old.htm").c_str()));
  EXPECT_EQ(ReadFileBytes(Path("old.htm")), "keep me");

#ifndef _WIN32
  // A link at the final name is not written through, dangling or not.
  ASSERT_EQ(::symlink("old.htm", Path("link.htm").c_str()), 0);
  EXPECT_FALSE(out.Create(Path("link.htm").c_str()));
  EXPECT_EQ(ReadFileBytes(Path("old.htm")), "keep me");
  ASSERT_EQ(::symlink("target.htm", Path("dangling.htm").c_str()), 0);
  EXPECT_FALSE(out.Create(Path("dangling.htm").c_str()));
  EXPECT_FALSE(PathExists(Path("target.htm")));
#endif

  EXPECT_FALSE(out.Create(Path("no-such-folder/x.htm").c_str()));
  EXPECT_FALSE(PathExists(Path("no-such-folder")));

  // Without a file every write fails and nothing appears.
  EXPECT_FALSE(out.IsOpen());
  EXPECT_FALSE(out.Write("x"));
  EXPECT_FALSE(out.WriteLine("x"));
  EXPECT_FALSE(out.WriteLine(""));
  EXPECT_FALSE(out.WriteBreaks(1));
  EXPECT_FALSE(out.Close());
#ifndef _WIN32
  EXPECT_EQ(testing::ListFolder(folder_.Path()), "dangling.htm link.htm old.htm");
#else
  EXPECT_EQ(testing::ListFolder(folder_.Path()), "old.htm");
#endif

  // A failed Create closes the file that was open before it.
  ASSERT_TRUE(out.Create(Path("new.htm").c_str()));
  out.Write("data");
  EXPECT_FALSE(out.Create(Path("old.htm").c_str()));
  EXPECT_FALSE(out.Write("more"));
  EXPECT_EQ(ReadFileBytes(Path("new.htm")), "data");
}

TEST_F(OutputFileTest, FullDiskFailsTheWritesAndTheClose) {
  FaultyFileSystem faulty;
  faulty.diskFullFor = {"full.htm", "late.htm"};
  faulty.diskFullAfterBytes = 1000;
  faulty.refuseCreate = {"refused.htm"};
  platform::ScopedFileSystem guard(faulty);

  // Small lines go into the buffer; the disk fills when it is flushed.
  OutputFile out;
  ASSERT_TRUE(out.Create(Path("full.htm").c_str()));
  int written = 0;
  while (written < 100000 && out.WriteLine("a line of sixteen")) ++written;
  EXPECT_LT(written, 100000);
  EXPECT_TRUE(out.WriteFailed());
  EXPECT_GT(faulty.failedWrites, 0u);
  EXPECT_FALSE(out.Write("x"));  // every write after the failure fails
  EXPECT_FALSE(out.Write(""));
  EXPECT_FALSE(out.WriteBreaks(1));
  EXPECT_FALSE(out.Close());
  EXPECT_EQ(ReadFileBytes(Path("full.htm")).size(), 1000u);

  // A failure that shows only when Close flushes the rest.
  ASSERT_TRUE(out.Create(Path("late.htm").c_str()));
  EXPECT_FALSE(out.WriteFailed());
  EXPECT_TRUE(out.Write(std::string(600, 'x').c_str()));
  EXPECT_TRUE(out.Write(std::string(600, 'y').c_str()));
  EXPECT_FALSE(out.Close());

  // A clean file after a failed one closes as a success.
  ASSERT_TRUE(out.Create(Path("fine.htm").c_str()));
  EXPECT_FALSE(out.WriteFailed());
  EXPECT_TRUE(out.WriteLine("ok"));
  EXPECT_TRUE(out.Close());
  EXPECT_EQ(ReadFileBytes(Path("fine.htm")), "ok");

  EXPECT_FALSE(out.Create(Path("refused.htm").c_str()));
  EXPECT_FALSE(out.WriteLine("x"));
  EXPECT_FALSE(PathExists(Path("refused.htm")));
}

}  // namespace
}  // namespace marlix
