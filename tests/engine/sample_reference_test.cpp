// The bundled sample reference, converted and then used the way its readers
// use it: followed link by link, and compiled by a help compiler.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "engine/conversion_driver.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;

// Every local link target (HREF in pages, Local in sitemaps) that names no
// file of the folder.
std::set<std::string> BrokenLinks(const std::string& folder, int& links) {
  static const std::regex target("(?:HREF|href)=\"([^\"]*)\"|name=\"Local\" value=\"([^\"]*)\"");
  std::set<std::string> broken;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::string text = ReadFileBytes(entry.path().string());
    for (std::sregex_iterator it(text.begin(), text.end(), target), end; it != end; ++it) {
      std::string link = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
      if (link.find(':') != std::string::npos) continue;  // http:, mailto:
      ++links;
      if (!std::filesystem::exists(testing::JoinedPath(folder, link))) broken.insert(link);
    }
  }
  return broken;
}

std::string ConvertInto(const ScratchFolder& scratch, const std::string& source) {
  ConversionRequest request{source.c_str(), scratch.Path().c_str(), "html"};
  EXPECT_EQ(RunConversion(request), ConversionOutcome::Completed);
  return scratch / "html";
}

TEST(SampleReference, EveryLinkLeadsToAPage) {
  ScratchFolder scratch;
  std::string out = ConvertInto(scratch, MARLIX_SAMPLES);
  int links = 0;
  EXPECT_EQ(BrokenLinks(out, links), std::set<std::string>{});
  EXPECT_GT(links, 100);
}

TEST(SampleReference, OnlyUnwrittenTopicsOfThePinnedEdgesAreMissing) {
  // The second of two topic lines in a row gets a name but no page.
  ScratchFolder scratch;
  std::string out = ConvertInto(scratch, std::string(MARLIX_TEST_DATA) + "/pinned/edges/source");
  int links = 0;
  EXPECT_EQ(BrokenLinks(out, links), std::set<std::string>{"B0P2.htm"});
}

#ifndef _WIN32
// The help compiler and the archive lister are Linux programs.
TEST(SampleReference, CompilesWithAHelpCompiler) {
  ScratchFolder scratch;
  std::string out = ConvertInto(scratch, MARLIX_SAMPLES);
  std::string compile = "cd '" + out + "' && chmcmd Marlix.hhp > compile.log 2>&1";
  ASSERT_EQ(std::system(compile.c_str()), 0) << ReadFileBytes(out + "/compile.log");
  ASSERT_TRUE(std::filesystem::exists(out + "/Marlix.chm"));

  std::string list = "cd '" + out + "' && 7z l Marlix.chm > list.txt 2>&1";
  ASSERT_EQ(std::system(list.c_str()), 0) << ReadFileBytes(out + "/list.txt");
  std::string listing = ReadFileBytes(out + "/list.txt");
  int pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    if (entry.path().extension() != ".htm") continue;
    ++pages;
    EXPECT_NE(listing.find(entry.path().filename().string()), std::string::npos)
        << entry.path().filename();
  }
  EXPECT_GT(pages, 30);
}
#endif

}  // namespace
}  // namespace marlix
