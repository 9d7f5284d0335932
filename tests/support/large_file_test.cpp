// Source files of 2 GB and more, whose sizes pass 31 and 32 bits: the line
// reader keeps a file's size and position in 64 bits, so that a size
// reported past 4 GB (a file that shrank, or a file system that says so) is
// read soundly to its real end, and a real file past 4 GB is read from its
// start without the reader taking it for a short one.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "support/faulty_file_system.h"
#include "support/large_file.h"
#include "support/line_reader.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::ScratchFolder;
using testing::WriteFileBytes;
using Lines = std::vector<std::string>;

// Every line the engine's reading loop gets, at most limit of them.
Lines ReadAll(LineReader& reader, std::size_t limit) {
  Lines lines;
  while (!reader.AtEnd() && lines.size() < limit) lines.push_back(reader.ReadLine().CStr());
  return lines;
}

TEST(LargeSourceFiles, SizesReportedPastTwoAndFourGigabytesAreReadToTheRealEnd) {
  ScratchFolder folder;
  const std::string path = folder / "big.txt";
  std::string bytes;
  Lines expected;
  for (int i = 0; i < 3000; ++i) {
    expected.push_back("line " + std::to_string(i));
    bytes += expected.back() + "\r\n";
  }
  WriteFileBytes(path, bytes);
  const auto real = static_cast<std::int64_t>(bytes.size());

  // Reported sizes whose low 32 bits are 1 (a size cut to 32 bits would end
  // the file after its first byte) or whose bit 31 is set (a size held in a
  // signed 32-bit number would be negative), up to the largest one there is.
  const std::int64_t reported[] = {
      (std::int64_t{1} << 31) + 1,
      (std::int64_t{1} << 32) + 1,
      (std::int64_t{1} << 33) + (std::int64_t{1} << 31),
      std::numeric_limits<std::int64_t>::max(),
  };
  for (std::int64_t size : reported) {
    SCOPED_TRACE("size reported as " + std::to_string(size));
    FaultyFileSystem faulty;
    faulty.sizeOverstatedFor = {"big.txt"};
    faulty.sizeOverstatement = size - real;
    platform::ScopedFileSystem guard(faulty);

    LineReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    EXPECT_EQ(reader.ReadBytes(1), "l");
    EXPECT_EQ(reader.ReadBytes(4), "ine ");
    Lines lines = ReadAll(reader, 5000);
    // The real end is found by the read that brings nothing: an empty line
    // may come last, and the loop ends.
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_FALSE(reader.ReadFailed());
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_LE(lines.size(), expected.size() + 1);
    EXPECT_EQ(lines[0], "0");
    for (std::size_t i = 1; i < expected.size(); ++i) ASSERT_EQ(lines[i], expected[i]) << i;
    if (lines.size() > expected.size()) {
      EXPECT_EQ(lines.back(), "");
    }
  }
}

TEST(LargeSourceFiles, ARealFilePastFourGigabytesIsReadFromItsStart) {
  // 4 GB and one byte: its lines, then zero bytes (a hole where the file
  // system keeps files sparse).
  ScratchFolder folder;
  const std::string path = folder / "huge.txt";
  const std::int64_t size = (std::int64_t{1} << 32) + 1;
  const std::string why = testing::MakeLargeFile(path, "@Huge\r\n:Topic\r\n Text\r\n", size);
  if (!why.empty()) {
    GTEST_SKIP() << why;
  }

  LineReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  EXPECT_EQ(reader.ReadBytes(1), "@");
  EXPECT_EQ(reader.ReadLine(), "Huge");
  EXPECT_EQ(reader.ReadLine(), ":Topic");
  EXPECT_EQ(reader.ReadLine(), " Text");
  // Past the text, not at the end: 80 zero bytes come as one empty piece.
  EXPECT_FALSE(reader.AtEnd());
  LinePiece piece;
  ASSERT_TRUE(reader.ReadPiece(piece));
  EXPECT_EQ(piece.length, 0u);
  EXPECT_FALSE(piece.endsLine);
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_FALSE(reader.ReadFailed());
  EXPECT_TRUE(reader.Close());
}

}  // namespace
}  // namespace marlix
