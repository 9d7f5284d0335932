#include "engine/topic_catalogue.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/output_tally.h"
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

TEST(TopicCatalogue, EmptiedKeepsNothingOfWhatItHeld) {
  TopicCatalogue catalogue;
  catalogue.NoteFileStart(0);
  catalogue.Add("Old", "B0P0.htm");
  catalogue.Add("Shared", "B0P1.htm");
  catalogue.NoteTopicCount(2);
  EXPECT_EQ(FindPage("old", catalogue), "B0P0.htm");  // the index is built
  catalogue.Empty();
  EXPECT_EQ(catalogue.Count(), 0u);
  EXPECT_EQ(catalogue.TopicCount(), 0u);
  EXPECT_EQ(catalogue.FirstTopicOf(0), 0u);
  EXPECT_EQ(FindPage("old", catalogue), "");
  catalogue.Add("Shared", "B1P0.htm");
  EXPECT_EQ(FindPage("OLD", catalogue), "");
  EXPECT_EQ(FindPage("shared", catalogue), "B1P0.htm");
  EXPECT_EQ(Entries(catalogue), "Shared=B1P0.htm ");
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

TEST(FindPage, LongNamesFoldOnlyAsciiLetters) {
  // Names of every length around the 8 bytes compared at once, looked up
  // with letters of other case, one byte changed, or a byte above 0x7F
  // whose low bits are a letter.
  std::mt19937 random(20261209);
  const char alphabet[] = "aZ_@[`{ \xE1\xC1";
  std::vector<std::string> names;
  TopicCatalogue catalogue;
  for (int i = 0; i < 600; ++i) {
    std::string name(random() % 25, ' ');
    for (char& c : name) c = alphabet[random() % (sizeof alphabet - 1)];
    names.push_back(name);
    catalogue.Add(name.c_str(), PageName(0, static_cast<std::uint32_t>(i)));
  }
  for (int i = 0; i < 5000; ++i) {
    std::string name = names[random() % names.size()];
    for (char& c : name) {
      if (random() % 3 == 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      if (random() % 3 == 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    if (!name.empty() && random() % 4 == 0) {
      name[random() % name.size()] = alphabet[random() % (sizeof alphabet - 1)];
    }
    TextString text(name.c_str());
    ASSERT_EQ(FindPage(text, catalogue), FindPageByScan(text, catalogue)) << name;
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
  OutputTally tally;
  BuildTopicCatalogue(files, catalogue, tally);
  EXPECT_EQ(Entries(catalogue),
            "Alpha=B0P0.htm Beta=B0P0.htm Gamma=B0P1.htm Alpha=B3P2.htm Tail=B4P3.htm "
            "Next=B4P4.htm ");
  EXPECT_EQ(catalogue.TopicCount(), 5u);
  EXPECT_EQ(catalogue.FirstTopicOf(0), 0u);
  EXPECT_EQ(catalogue.FirstTopicOf(2), 2u);  // the missing file takes no number
  EXPECT_EQ(catalogue.FirstTopicOf(4), 3u);
  EXPECT_EQ(tally.SourcesUnreadable(), 1u);
  EXPECT_EQ(FindPage("ALPHA", catalogue), "B0P0.htm");
}

}  // namespace
}  // namespace marlix
