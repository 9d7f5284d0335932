// Joining paths, wildcard matching and the listing order: the rules that
// decide every output name, the same on every platform.
#include "support/file_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/platform/file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::ScratchFolder;
using testing::WriteFileBytes;

std::string Joined(const StringList& list) {
  std::string joined;
  for (std::uint32_t i = 0; i < list.Count(); ++i) {
    if (i > 0) joined += '|';
    joined += list.At(i).CStr();
  }
  return joined;
}

std::string Listed(const std::string& folder, const char* pattern, bool* complete = nullptr) {
  StringList names;
  bool listed = ListFiles(folder.c_str(), pattern, names);
  if (complete != nullptr) *complete = listed;
  return Joined(names);
}

TEST(JoinPath, AddsOneSeparatorUnlessThereIsOne) {
  // Paths written with | for the separator of this platform.
  auto path = [](std::string text) {
    for (char& c : text) {
      if (c == '|') c = kPathSeparator;
    }
    return TextString(text.c_str());
  };
  EXPECT_EQ(JoinPath(path("|srv|marlix"), "Marlix2HTML"), path("|srv|marlix|Marlix2HTML"));
  EXPECT_EQ(JoinPath(path("|"), "Out"), path("|Out"));
  EXPECT_EQ(JoinPath(path("|srv|"), path("Out|")), path("|srv|Out|"));
  EXPECT_EQ(JoinPath(JoinPath(path("|srv"), path("Out|")), "Index.htm"),
            path("|srv|Out|Index.htm"));
  EXPECT_EQ(JoinPath("", "name"), path("|name"));
  EXPECT_EQ(JoinPath("C:", ""), path("C:|"));
}

TEST(IsOneName, NoSeparatorAndNotADotOrTwo) {
  for (const char* name : {"out", "...", ".x", "x.", "a b", "..docset", "-"}) {
    EXPECT_TRUE(IsOneName(name)) << name;
  }
  for (const char* name : {"", ".", "..", "../x", "sub/x", "x/", "/"}) {
    EXPECT_FALSE(IsOneName(name)) << name;
  }
#ifdef _WIN32
  for (const char* name : {"..\\x", "sub\\x", "x\\"}) EXPECT_FALSE(IsOneName(name)) << name;
#else
  EXPECT_TRUE(IsOneName("a\\b"));  // an ordinary byte of a name here
#endif
}

TEST(MatchesPattern, WildcardsAndAsciiCase) {
  EXPECT_TRUE(MatchesPattern("A.TXT", "*.txt"));
  EXPECT_TRUE(MatchesPattern("b.Txt", "*.txt"));
  EXPECT_TRUE(MatchesPattern(".txt", "*.txt"));
  EXPECT_FALSE(MatchesPattern("c.txt.bak", "*.txt"));
  EXPECT_FALSE(MatchesPattern("d.tx", "*.txt"));
  EXPECT_FALSE(MatchesPattern("txt", "*.txt"));
  EXPECT_TRUE(MatchesPattern("ab.txt", "a?.txt"));
  EXPECT_FALSE(MatchesPattern("abc.txt", "a?.txt"));
  EXPECT_FALSE(MatchesPattern("a.txt", "a?.txt"));
  // A * has to backtrack past an early false match.
  EXPECT_TRUE(MatchesPattern("c.txt.bak", "*.TXT.*"));
  EXPECT_TRUE(MatchesPattern("abc.txt", "*b*t"));
  EXPECT_FALSE(MatchesPattern("abc.txs", "*b*t"));
  EXPECT_TRUE(MatchesPattern("anything", "*"));
  EXPECT_TRUE(MatchesPattern("", "*"));
  EXPECT_FALSE(MatchesPattern("", "?"));
  // Only a to z fold; bytes from 0x80 up must match exactly.
  EXPECT_TRUE(MatchesPattern("\xE9.txt", "\xE9.TXT"));
  EXPECT_FALSE(MatchesPattern("\xE9.txt", "\xC9.txt"));
}

TEST(CompareListingOrder, UpperCasedBytesThenRawBytes) {
  EXPECT_LT(CompareListingOrder("10.txt", "9.txt"), 0);
  EXPECT_LT(CompareListingOrder("a.txt", "B.txt"), 0);
  EXPECT_LT(CompareListingOrder("Z.txt", "_.txt"), 0);     // Z (0x5A) < _ (0x5F)
  EXPECT_LT(CompareListingOrder("_.txt", "\xE9.txt"), 0);  // bytes above 0x7F last
  EXPECT_LT(CompareListingOrder("a.txt", "a.txt.txt"), 0);
  EXPECT_LT(CompareListingOrder("A.txt", "a.txt"), 0);  // a tie broken by the raw bytes
  EXPECT_GT(CompareListingOrder("a.txt", "A.txt"), 0);
  EXPECT_EQ(CompareListingOrder("a.txt", "a.txt"), 0);
  // The upper-cased bytes decide before the first raw difference does.
  EXPECT_LT(CompareListingOrder("aB", "Ac"), 0);
  EXPECT_GT(CompareListingOrder("a_", "Ab"), 0);
  EXPECT_LT(CompareListingOrder("Ab", "aB"), 0);
  EXPECT_GT(CompareListingOrder("aB", "Ab"), 0);
}

#ifndef _WIN32
TEST(ListFiles, SortsLongNamesThatShareTheirFirstBytes) {
  // Names that agree in their first 8 bytes upper-cased, or end within them.
  ScratchFolder folder;
  std::vector<std::string> names = {"abcdefgh1.htm",    "ABCDEFGH0.htm", "abcdefg.htm",
                                    "ABCDEFGh.htm",     "abcdefgH.htm",  "abcdefgh.htm",
                                    "ABCDEFG_.htm",     "abc.htm",       "ABC.htm",
                                    "abcdefgh\xE1.htm", "abcdefghA.htm"};
  for (const std::string& name : names) WriteFileBytes(folder / name, "x");
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return CompareListingOrder(a.c_str(), b.c_str()) < 0;
  });
  std::string expected;
  for (const std::string& name : names) expected += (expected.empty() ? "" : "|") + name;
  EXPECT_EQ(Listed(folder.Path(), "*.htm"), expected);
}
#endif

TEST(ListFiles, MatchesSortsAndAppendsWithoutClearing) {
  ScratchFolder folder;
  for (const char* name : {"Topic1.htm", "B0P10.htm", "B0P1.htm", "Index.HTM", "Index.hhk", "b.htm",
                           "A.htm", "a.htm"}) {
    WriteFileBytes(folder / name, "x");
  }
  StringList names;
  names.Add("kept");
  EXPECT_TRUE(ListFiles(folder.Path().c_str(), "*.htm", names));
#ifdef _WIN32
  // Names that differ only in letter case are one file here, and the names
  // come in the order the folder search returns them, never re-sorted.
  std::string searched = "kept";
  platform::Files().ListFolder(
      folder.Path().c_str(),
      [](const char* name, void* context) {
        if (MatchesPattern(name, "*.htm"))
          *static_cast<std::string*>(context) += std::string("|") + name;
      },
      &searched);
  EXPECT_EQ(Joined(names), searched);
  EXPECT_EQ(names.Count(), 7u);
#else
  EXPECT_EQ(Joined(names), "kept|A.htm|a.htm|b.htm|B0P1.htm|B0P10.htm|Index.HTM|Topic1.htm");
#endif

  EXPECT_EQ(Listed(folder.Path(), "*.txt"), "");
  EXPECT_EQ(Listed(folder.Path(), "*.HTM.x"), "");
  EXPECT_EQ(Listed(folder.Path(), "*DEX.h?M"), "Index.HTM");
  bool complete = true;
  EXPECT_EQ(Listed(folder / "missing", "*", &complete), "");
  EXPECT_FALSE(complete);
}

}  // namespace
}  // namespace marlix
