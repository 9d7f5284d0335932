// LineReader: line ends, the 80-byte limit and the line ends at its edge, the
// at-end flag, first-byte reads, buffered reads, and reads that fail.
#include "support/line_reader.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "support/allocation.h"
#include "support/faulty_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::ScratchFolder;
using testing::WriteFileBytes;
using Lines = std::vector<std::string>;

// Every line of the file by the engine's reading loop; the loop is cut off
// (and the test fails) if it would not end by itself.
Lines ReadAll(LineReader& reader, std::size_t limit = 100000) {
  Lines lines;
  while (!reader.AtEnd()) {
    if (lines.size() >= limit) {
      ADD_FAILURE() << "the reading loop does not end";
      break;
    }
    lines.push_back(reader.ReadLine().CStr());
  }
  return lines;
}

Lines ReadFile(const std::string& path) {
  LineReader reader;
  if (!reader.Open(path.c_str())) {
    ADD_FAILURE() << "cannot open " << path;
    return {};
  }
  return ReadAll(reader);
}

class LineReaderTest : public ::testing::Test {
 protected:
  // Writes bytes to a file of the scratch folder and reads it back as lines.
  Lines LinesOf(const std::string& bytes) {
    std::string path = folder_ / "source.txt";
    WriteFileBytes(path, bytes);
    return ReadFile(path);
  }

  // A new file for each content: the reader lets others only read the file
  // it holds, so on Windows that file cannot be rewritten under it.
  std::string NewFile(const std::string& bytes) {
    std::string path = folder_ / ("file" + std::to_string(++files_) + ".txt");
    WriteFileBytes(path, bytes);
    return path;
  }

  ScratchFolder folder_;
  unsigned files_ = 0;
};

TEST_F(LineReaderTest, LineEnds) {
  EXPECT_EQ(LinesOf("A\r\nB\r\n"), (Lines{"A", "B"}));
  EXPECT_EQ(LinesOf("A\n\nB"), (Lines{"A", "", "B"}));
  EXPECT_EQ(LinesOf("A\r\r\n"), (Lines{"A\r"}));
  EXPECT_EQ(LinesOf("A\rB\nC"), (Lines{"A\rB", "C"}));  // a lone CR is text
  EXPECT_EQ(LinesOf("\r\n\r\nx"), (Lines{"", "", "x"}));
  EXPECT_EQ(LinesOf("last\r"), (Lines{"last\r"}));
  // A zero byte ends the content but not the line.
  EXPECT_EQ(LinesOf(std::string("ab\0cd\nef", 8)), (Lines{"ab", "ef"}));
}

TEST_F(LineReaderTest, AtEndIsSetWithTheLastLine) {
  std::string path = folder_ / "ends.txt";
  WriteFileBytes(path, "A\r\nB\r\n");
  LineReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(std::string(reader.ReadLine().CStr()), "A");
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(std::string(reader.ReadLine().CStr()), "B");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.SkipLine());  // no third line
  EXPECT_TRUE(reader.AtEnd());

  path = NewFile("no break");
  ASSERT_TRUE(reader.Open(path.c_str()));  // reopening clears the flag
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_TRUE(reader.SkipLine());
  EXPECT_TRUE(reader.AtEnd());

  path = NewFile("");
  ASSERT_TRUE(reader.Open(path.c_str()));
  EXPECT_FALSE(reader.AtEnd());
  LinePiece piece;
  EXPECT_FALSE(reader.ReadPiece(piece));
  EXPECT_EQ(reader.ReadLine(), "");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.SkipLine());

  EXPECT_TRUE(reader.Close());
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_FALSE(reader.Close());
}

TEST_F(LineReaderTest, EightyByteLimitAndLineEndsAtItsEdge) {
  const std::string s79(79, 'a');
  const std::string s80(80, 'b');
  // A line end at or right after the full window belongs to that line.
  EXPECT_EQ(LinesOf(s79 + "\r\nnext"), (Lines{s79, "next"}));
  EXPECT_EQ(LinesOf(s80 + "\r\nnext"), (Lines{s80, "next"}));
  EXPECT_EQ(LinesOf(s80 + "\nnext"), (Lines{s80, "next"}));
  EXPECT_EQ(LinesOf(s79 + "\r\n"), (Lines{s79}));
  EXPECT_EQ(LinesOf(s80 + "\r\n"), (Lines{s80}));
  EXPECT_EQ(LinesOf(s80 + "\n"), (Lines{s80}));
  EXPECT_EQ(LinesOf(s80), (Lines{s80}));
  // CR CR LF keeps one CR, wherever the window ends.
  EXPECT_EQ(LinesOf(std::string(78, 'c') + "\r\r\nnext"),
            (Lines{std::string(78, 'c') + "\r", "next"}));
  EXPECT_EQ(LinesOf(s79 + "\r\r\nnext"), (Lines{s79 + "\r", "next"}));
  // Longer lines come in 80-byte pieces; the rest keeps its own line end.
  EXPECT_EQ(LinesOf(std::string(100, 'd')), (Lines{std::string(80, 'd'), std::string(20, 'd')}));
  EXPECT_EQ(LinesOf(std::string(100, 'd') + "\r\nx"),
            (Lines{std::string(80, 'd'), std::string(20, 'd'), "x"}));
  EXPECT_EQ(LinesOf(s80 + s80 + "\r\nx"), (Lines{s80, s80, "x"}));
  EXPECT_EQ(LinesOf(s80 + s79 + "\r\nx"), (Lines{s80, s79, "x"}));
  EXPECT_EQ(LinesOf(s80 + "z\nx"), (Lines{s80, "z", "x"}));
}

TEST_F(LineReaderTest, LinesAcrossManyBufferRefills) {
  // Lines of every length from 0 to 80 with both kinds of line end, over
  // several buffer fills, so that line ends fall on every buffer offset.
  Lines expected;
  std::string bytes;
  for (int i = 0; bytes.size() < 300 * 1024; ++i) {
    std::string line(static_cast<std::size_t>(i % 81), static_cast<char>('A' + i % 26));
    if (!line.empty()) line[0] = static_cast<char>('0' + i % 10);
    expected.push_back(line);
    bytes += line + (i % 3 == 0 ? "\n" : "\r\n");
  }
  EXPECT_EQ(LinesOf(bytes), expected);
}

TEST_F(LineReaderTest, ReadBytesTakesTheFirstByte) {
  std::string path = folder_ / "at.txt";
  WriteFileBytes(path, "@");
  LineReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  EXPECT_EQ(std::string(reader.ReadBytes(2).CStr()), "");
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(std::string(reader.ReadBytes(1).CStr()), "@");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(std::string(reader.ReadBytes(1).CStr()), "");

  // The header: one byte, then the rest of the first line.
  path = NewFile("@Title\r\nbody");
  ASSERT_TRUE(reader.Open(path.c_str()));
  EXPECT_EQ(std::string(reader.ReadBytes(1).CStr()), "@");
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(ReadAll(reader), (Lines{"Title", "body"}));

  path = NewFile(std::string("\0xyz", 4));
  ASSERT_TRUE(reader.Open(path.c_str()));
  EXPECT_EQ(std::string(reader.ReadBytes(3).CStr()), "");   // cut at the zero byte
  EXPECT_EQ(std::string(reader.ReadBytes(1).CStr()), "z");  // but all three consumed

  reader.Close();
  EXPECT_EQ(std::string(reader.ReadBytes(1).CStr()), "");
}

TEST_F(LineReaderTest, WithoutAFileNothingIsReadAndLoopsEnd) {
  LineReader reader;
  EXPECT_FALSE(reader.Open((folder_ / "missing.txt").c_str()));
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_EQ(std::string(reader.ReadLine().CStr()), "");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.SkipLine());
  EXPECT_FALSE(reader.Close());

  // A folder is not a file to read.
  EXPECT_FALSE(reader.Open(folder_.Path().c_str()));

#ifndef _WIN32
  // Nor is a FIFO, and opening one must not wait for a writer.
  std::string fifo = folder_ / "pipe.txt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto opened = std::async(std::launch::async, [&] { return LineReader().Open(fifo.c_str()); });
  if (opened.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << "Open blocks on a FIFO";
    ::close(::open(fifo.c_str(), O_RDWR));  // let the blocked open go
  }
  EXPECT_FALSE(opened.get());
#endif

  // A failed Open drops the file that was open before.
  std::string real = folder_ / "real.txt";
  WriteFileBytes(real, "x\ny");
  ASSERT_TRUE(reader.Open(real.c_str()));
  EXPECT_FALSE(reader.Open((folder_ / "missing.txt").c_str()));
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_FALSE(reader.SkipLine());
}

TEST_F(LineReaderTest, AReaderWithoutMemoryForItsBufferOpensNothing) {
  // The buffer a finished reader gave back is kept for the next reader; when
  // memory is refused, that next reader must fail as any allocation does.
  const std::string path = NewFile("x\ny");
  ASSERT_EQ(ReadFile(path), (Lines{"x", "y"}));
  LineReader reader;
  {
    ScopedAllocationFailure failure(0);
    EXPECT_FALSE(reader.Open(path.c_str()));
    EXPECT_EQ(failure.Refused(), 1u);
  }
  ASSERT_TRUE(reader.Open(path.c_str()));
  EXPECT_EQ(ReadAll(reader), (Lines{"x", "y"}));
}

TEST_F(LineReaderTest, ReadsAreBuffered) {
  std::string path = folder_ / "many.txt";
  std::string bytes;
  const int lineCount = 3000;
  for (int i = 0; i < lineCount; ++i) bytes += "line " + std::to_string(i) + "\r\n";
  WriteFileBytes(path, bytes);

  FaultyFileSystem counting;
  platform::ScopedFileSystem guard(counting);
  LineReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  Lines lines = ReadAll(reader);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(lineCount));
  EXPECT_EQ(lines[2999], "line 2999");
  EXPECT_LT(counting.readCalls, 10u);
}

TEST_F(LineReaderTest, AFailingReadEndsTheLoop) {
  std::string path = folder_ / "broken.txt";
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes += "row " + std::to_string(i) + "\n";
  WriteFileBytes(path, bytes);

  {
    // Fails at once: nothing to read, and at end.
    FaultyFileSystem faulty;
    faulty.readFailsFor = {"broken.txt"};
    faulty.readFailsAfterBytes = 0;
    platform::ScopedFileSystem guard(faulty);
    LineReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    EXPECT_FALSE(reader.SkipLine());
    EXPECT_TRUE(reader.AtEnd());
  }
  {
    // Fails part way: the lines read before the failure are whole, and the
    // loop ends.
    FaultyFileSystem faulty;
    faulty.readFailsFor = {"broken.txt"};
    faulty.readFailsAfterBytes = 1000;
    platform::ScopedFileSystem guard(faulty);
    LineReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    Lines lines = ReadAll(reader);
    ASSERT_GE(lines.size(), 100u);
    EXPECT_LT(lines.size(), 300u);
    EXPECT_EQ(lines[0], "row 0");
    EXPECT_EQ(lines[99], "row 99");
    EXPECT_EQ(reader.ReadBytes(1).Length(), 0u);
    EXPECT_TRUE(reader.ReadFailed());
  }
  {
    // The file shrank: the size promises more than the reads bring.
    FaultyFileSystem faulty;
    faulty.sizeOverstatedFor = {"broken.txt"};
    faulty.sizeOverstatement = 500;
    platform::ScopedFileSystem guard(faulty);
    LineReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    Lines lines = ReadAll(reader);
    ASSERT_GE(lines.size(), 5000u);
    EXPECT_EQ(lines[4999], "row 4999");
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_FALSE(reader.ReadFailed());

    ASSERT_TRUE(reader.Open(path.c_str()));
    std::size_t skipped = 0;
    while (reader.SkipLine() && skipped < 10000) ++skipped;
    EXPECT_EQ(skipped, 5000u);
    EXPECT_TRUE(reader.AtEnd());
  }
}

}  // namespace
}  // namespace marlix
