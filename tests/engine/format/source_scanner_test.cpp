#include "engine/format/source_scanner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/faulty_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::ScratchFolder;
using testing::WriteFileBytes;

// Every piece of a scanned file as "line[.c] kind number text", where c marks
// a continuation piece and kind is T (topic opening a page), t (topic that
// is a title line), H (title line), A (absent title line) or b (body line).
std::string Walk(SourceScanner& scanner) {
  std::string walk;
  while (scanner.Next()) {
    const SourceLine& line = scanner.Line();
    char kind = line.absent      ? 'A'
                : line.opensPage ? 'T'
                : line.topic     ? 't'
                : line.title     ? 'H'
                                 : 'b';
    walk += std::to_string(line.lineNumber) + (line.continuation ? ".c " : " ") + kind + " " +
            (line.topicNumber == SourceLine::kNoTopic ? "-" : std::to_string(line.topicNumber)) +
            " " + std::string(line.bytes, line.length) + "|";
  }
  return walk;
}

class SourceScannerTest : public ::testing::Test {
 protected:
  std::string Scan(const std::string& bytes, std::uint32_t firstTopic = 0) {
    WriteFileBytes(path_, bytes);
    SourceScanner scanner;
    if (!scanner.Open(path_.c_str(), firstTopic)) return "<cannot open>";
    title_ = scanner.SectionTitle().CStr();
    std::string walk = Walk(scanner);
    nextTopic_ = scanner.NextTopicNumber();
    return walk;
  }

  ScratchFolder folder_;
  std::string path_ = folder_ / "a.txt";
  std::string title_;
  std::uint32_t nextTopic_ = 0;
};

TEST_F(SourceScannerTest, TopicTitleAndBodyLines) {
  EXPECT_EQ(Scan("@Title\r\n before\r\n:A:B\r\n:C\r\n body\r\n\r\n :no\r\n:D\r\n", 5),
            "2 b -  before|3 T 5 :A:B|4 t 6 :C|5 b 6  body|6 b 6 |7 b 6  :no|8 T 7 :D|9 A 7 |");
  EXPECT_EQ(title_, "Title");
  EXPECT_EQ(nextTopic_, 8u);
  // A third topic line in a row opens a page again.
  EXPECT_EQ(Scan("@\n:A\n:B\n:C\nx"), "2 T 0 :A|3 t 1 :B|4 T 2 :C|5 H 2 x|");
  EXPECT_EQ(title_, "");
  EXPECT_EQ(Scan("@"), "");
  EXPECT_EQ(Scan(""), "");
}

TEST_F(SourceScannerTest, LongLinesComeInPiecesWithTheirLineNumbers) {
  // The title is read from the second byte, the body from the first: of a
  // first line longer than one piece, the rest is a line of its own.
  std::string x79(79, 'x');
  EXPECT_EQ(Scan("@" + x79 + ":Tail\r\n" + std::string(100, 'y') + "\r\nz"),
            "1.c T 0 :Tail|2 H 0 " + std::string(80, 'y') + "|2.c b 0 " + std::string(20, 'y') +
                "|3 b 0 z|");
  EXPECT_EQ(title_, x79 + ":");
}

// The topic lines of a walk, described as Walk does, found with Next or
// with NextTopicLine.
std::string TopicWalk(const std::string& path, bool bulk) {
  SourceScanner scanner;
  if (!scanner.Open(path.c_str(), 3)) return "<cannot open>";
  std::string walk;
  while (bulk ? scanner.NextTopicLine() : scanner.Next()) {
    const SourceLine& line = scanner.Line();
    if (!line.topic) continue;
    walk += std::to_string(line.lineNumber) + (line.continuation ? ".c " : " ") +
            (line.opensPage ? "T " : "t ") + std::to_string(line.topicNumber) + " " +
            std::string(line.bytes, line.length) + "|";
  }
  return walk + "next " + std::to_string(scanner.NextTopicNumber());
}

TEST_F(SourceScannerTest, NextTopicLineFindsWhatNextFinds) {
  // Lines of every length around one piece, topic lines in runs, ":" at the
  // start of later pieces, both line ends, zero bytes, and files larger than
  // the reader's buffer.
  std::mt19937 random(20261209);
  for (int round = 0; round < 60; ++round) {
    std::string bytes = "@Title";
    if (round % 7 == 0) bytes += std::string(90, 't');
    bytes += "\r\n";
    const int lines = 20 + static_cast<int>(random() % (round < 50 ? 200 : 3000));
    for (int i = 0; i < lines; ++i) {
      std::string line(random() % 4 == 0 ? random() % 200 : random() % 84, 'a');
      for (std::size_t k = 0; k < line.size(); k += 1 + random() % 40) {
        line[k] = ":: ~\t"[random() % 5];
      }
      if (!line.empty() && random() % 3 == 0) line[0] = ':';
      if (random() % 50 == 0) line += std::string(1, '\0') + ":";
      bytes += line + (random() % 2 ? "\r\n" : "\n");
    }
    if (random() % 2) bytes += ":last";
    WriteFileBytes(path_, bytes);
    ASSERT_EQ(TopicWalk(path_, true), TopicWalk(path_, false)) << "round " << round;
  }
}

TEST_F(SourceScannerTest, AFailedReadIsToldFromTheEnd) {
  std::string bytes = "@T\n";
  for (int i = 0; i < 3000; ++i) bytes += ":topic " + std::to_string(i) + "\n";
  WriteFileBytes(path_, bytes);
  {
    FaultyFileSystem faulty;
    faulty.readFailsFor = {"a.txt"};
    faulty.readFailsAfterBytes = 20000;
    platform::ScopedFileSystem guard(faulty);
    SourceScanner scanner;
    ASSERT_TRUE(scanner.Open(path_.c_str(), 0));
    Walk(scanner);
    EXPECT_TRUE(scanner.ReadFailed());
    EXPECT_LT(scanner.NextTopicNumber(), 3000u);
  }
  {
    // A file that shrank while read is read to its end, without a failure.
    FaultyFileSystem faulty;
    faulty.sizeOverstatedFor = {"a.txt"};
    faulty.sizeOverstatement = 300;
    platform::ScopedFileSystem guard(faulty);
    SourceScanner scanner;
    ASSERT_TRUE(scanner.Open(path_.c_str(), 0));
    Walk(scanner);
    EXPECT_FALSE(scanner.ReadFailed());
    EXPECT_EQ(scanner.NextTopicNumber(), 3000u);
  }
}

}  // namespace
}  // namespace marlix
