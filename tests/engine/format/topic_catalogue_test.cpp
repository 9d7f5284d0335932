#include "engine/format/topic_catalogue.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/format/page_names.h"
#include "engine/format/source_tally.h"
#include "support/faulty_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::ScratchFolder;
using testing::WriteFileBytes;

std::string Names(const TextString& line) {
  StringList names = TopicNames(line);
  std::string joined;
  for (std::uint32_t i = 0; i < names.Count(); ++i) {
    joined.append("[").append(names.At(i).CStr()).append("]");
  }
  return joined;
}

std::string Entries(const TopicCatalogue& catalogue) {
  std::string joined;
  for (std::uint32_t i = 0; i < catalogue.Count(); ++i) {
    joined.append(catalogue.KeyAt(i).CStr())
        .append("=")
        .append(catalogue.ValueAt(i).CStr())
        .append(" ");
  }
  return joined;
}

TEST(PageName, DecimalNumbersWithoutPadding) {
  EXPECT_EQ(PageName(0, 0), "B0P0.htm");
  EXPECT_EQ(PageName(1, 3), "B1P3.htm");
  EXPECT_EQ(PageName(10, 4294967295u), "B10P4294967295.htm");
}

TEST(TopicNames, SplitsAtEveryColonKeepingEmptyNamesAndBlanks) {
  EXPECT_EQ(Names(":A"), "[A]");
  EXPECT_EQ(Names(":A:B"), "[A][B]");
  EXPECT_EQ(Names(":A::B"), "[A][][B]");
  EXPECT_EQ(Names(":A:"), "[A][]");
  EXPECT_EQ(Names(":"), "[]");
  EXPECT_EQ(Names(": spaced : name"), "[ spaced ][ name]");
}

TEST(FindPage, FoldsAsciiOnlyAndTakesTheFirstMatch) {
  TopicCatalogue catalogue;
  EXPECT_EQ(FindPage("x", catalogue), "");
  catalogue.Add("Print", "B0P0.htm");
  catalogue.Add("\x84hnlich", "B0P1.htm");  // a byte above 0x7F
  catalogue.Add("PRINT", "B0P2.htm");
  catalogue.Add("", "B0P3.htm");
  catalogue.Add("Input ", "B0P4.htm");
  EXPECT_EQ(FindPage("print", catalogue), "B0P0.htm");
  EXPECT_EQ(FindPage("pRiNt", catalogue), "B0P0.htm");
  EXPECT_EQ(FindPage("\x84HNLICH", catalogue), "B0P1.htm");
  EXPECT_EQ(FindPage("\x8EHNLICH", catalogue), "");  // no folding above 0x7F
  EXPECT_EQ(FindPage("", catalogue), "B0P3.htm");
  EXPECT_EQ(FindPage("Input", catalogue), "");  // whole-string equality only
  EXPECT_EQ(FindPage("Prin", catalogue), "");
  // Adding after a lookup is seen by the next lookup.
  catalogue.Add("Later", "B0P5.htm");
  EXPECT_EQ(FindPage("LATER", catalogue), "B0P5.htm");
}

TEST(TopicCatalogue, ClearedKeepsNothingOfWhatItHeld) {
  TopicCatalogue catalogue;
  catalogue.AddSection(true, "Old", 0);
  catalogue.AddTopic(0, true);
  catalogue.Add("Old", "B0P0.htm");
  catalogue.AddTopic(1, true);
  catalogue.Add("Shared", "B0P1.htm");
  catalogue.NoteTopicCount(2);
  EXPECT_EQ(FindPage("old", catalogue), "B0P0.htm");  // the index is built
  catalogue.Clear();
  EXPECT_EQ(catalogue.Count(), 0u);
  EXPECT_EQ(catalogue.TopicCount(), 0u);
  EXPECT_EQ(catalogue.SectionCount(), 0u);
  EXPECT_FALSE(catalogue.OpensPage(0));
  EXPECT_EQ(FindPage("old", catalogue), "");
  catalogue.Add("Shared", "B1P0.htm");
  EXPECT_EQ(FindPage("OLD", catalogue), "");
  EXPECT_EQ(FindPage("shared", catalogue), "B1P0.htm");
  EXPECT_EQ(Entries(catalogue), "Shared=B1P0.htm ");
}

TEST(BuildTopicCatalogue, TellsWhichTopicLinesOpenAPage) {
  ScratchFolder folder;
  // A topic line right after one that opens a page is its title line.
  WriteFileBytes(folder / "a.txt", "@A\n:One\n:Two:2\n:Three\n text\n:Four");
  SourceFileList files;
  files.Add((folder / "a.txt").c_str());
  TopicCatalogue catalogue;
  SourceTally sources(files, nullptr);
  BuildTopicCatalogue(sources, catalogue);
  ASSERT_EQ(catalogue.TopicCount(), 4u);
  EXPECT_TRUE(catalogue.OpensPage(0));
  EXPECT_FALSE(catalogue.OpensPage(1));
  EXPECT_TRUE(catalogue.OpensPage(2));
  EXPECT_TRUE(catalogue.OpensPage(3));
  EXPECT_FALSE(catalogue.OpensPage(4));
  std::uint32_t first = 0;
  std::uint32_t end = 0;
  catalogue.TopicEntries(1, first, end);
  EXPECT_EQ(end - first, 2u);
  EXPECT_EQ(catalogue.KeyAt(first + 1), "2");
}

TEST(FindPage, IndexAgreesWithThePlainScan) {
  // Many short names from a small alphabet, so that case variants, repeats
  // and hash collisions are frequent.
  std::mt19937 random(20261208);
  const char alphabet[] = "aAbB:~ \x80\xE1";
  auto randomName = [&] {
    std::string name(random() % 4, ' ');
    for (char& c : name) c = alphabet[random() % (sizeof alphabet - 1)];
    return name;
  };
  TopicCatalogue catalogue;
  for (int i = 0; i < 3000; ++i) {
    catalogue.Add(randomName().c_str(), PageName(0, static_cast<std::uint32_t>(i)));
  }
  for (int i = 0; i < 5000; ++i) {
    TextString name(randomName().c_str());
    ASSERT_EQ(FindPage(name, catalogue), FindPageByScan(name, catalogue)) << name.CStr();
  }
}

TEST(BuildTopicCatalogue, NumbersTopicsAcrossFilesInReadingOrder) {
  ScratchFolder folder;
  WriteFileBytes(folder / "1.txt", "@One\r\n:Alpha:Beta\r\n text\r\n :not a topic\r\n\r\n:Gamma");
  WriteFileBytes(folder / "2.txt", "@No topics\r\n text\r\n");
  WriteFileBytes(folder / "3.txt", "@Three\n:Alpha\n");
  // Of a first line longer than 80 bytes, the rest is read as a line of its own.
  WriteFileBytes(folder / "4.txt", "@" + std::string(79, 'x') + ":Tail\r\n:Next\r\n");
  SourceFileList files;
  for (const char* name : {"1.txt", "2.txt", "missing.txt", "3.txt", "4.txt"}) {
    files.Add((folder / name).c_str());
  }
  TopicCatalogue catalogue;
  SourceTally sources(files, nullptr);
  BuildTopicCatalogue(sources, catalogue);
  EXPECT_EQ(Entries(catalogue),
            "Alpha=B0P0.htm Beta=B0P0.htm Gamma=B0P1.htm Alpha=B3P2.htm Tail=B4P3.htm "
            "Next=B4P4.htm ");
  EXPECT_EQ(catalogue.TopicCount(), 5u);
  EXPECT_EQ(catalogue.FirstTopicOf(0), 0u);
  EXPECT_EQ(catalogue.FirstTopicOf(2), 2u);  // the missing file takes no number
  EXPECT_EQ(catalogue.FirstTopicOf(4), 3u);
  EXPECT_EQ(catalogue.FirstTopicOf(5), 5u);  // past the last file: the count
  EXPECT_EQ(sources.Unreadable(), 1u);

  // What later steps take from the catalogue instead of reading again.
  ASSERT_EQ(catalogue.SectionCount(), 5u);
  EXPECT_EQ(catalogue.Section(0).title, "One");
  EXPECT_EQ(catalogue.Section(1).title, "No topics");
  EXPECT_FALSE(catalogue.Section(2).read);
  EXPECT_TRUE(catalogue.Section(3).read);
  EXPECT_EQ(std::string(catalogue.Section(4).title.CStr()), std::string(79, 'x') + ":");
  EXPECT_FALSE(catalogue.Section(9).read);
  std::uint32_t first = 0;
  std::uint32_t end = 0;
  catalogue.TopicEntries(0, first, end);
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(end, 2u);
  catalogue.TopicEntries(4, first, end);
  EXPECT_EQ(first, 5u);
  EXPECT_EQ(end, 6u);
  EXPECT_EQ(FindPage("ALPHA", catalogue), "B0P0.htm");
}

}  // namespace
}  // namespace marlix
