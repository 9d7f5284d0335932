// Whole conversions into the web edition.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "engine/conversion_driver.h"
#include "engine/output_names.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

std::string Convert(const ScratchFolder& scratch, const std::string& source, const char* name,
                    OutputEdition edition) {
  ConversionRequest request{source.c_str(), scratch.Path().c_str(), name, edition};
  EXPECT_EQ(RunConversion(request), ConversionOutcome::Completed);
  return scratch / name;
}

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(WebEdition, KeepsThePageNamesOfTheClassicPagesAndWritesNoHelpProject) {
  ScratchFolder scratch;
  std::set<std::string> classic =
      Names(Convert(scratch, MARLIX_SAMPLES, "classic", OutputEdition::Classic));
  std::set<std::string> web = Names(Convert(scratch, MARLIX_SAMPLES, "web", OutputEdition::Web));
  std::set<std::string> expected;
  for (const std::string& name : classic) {
    if (name.ends_with(".htm")) expected.insert(name);
  }
  expected.insert({"search.htm", "search.js", "search-index.js", "style.css"});
  EXPECT_EQ(web, expected);
}

TEST(WebEdition, ShowsTheCharactersThatTheClassicPagesLeaveRaw) {
  ScratchFolder scratch;
  const std::string classic = Convert(scratch, MARLIX_SAMPLES, "classic", OutputEdition::Classic);
  const std::string web = Convert(scratch, MARLIX_SAMPLES, "web", OutputEdition::Web);
  // The sample's accented letters and signs, in the Character Set topic.
  const std::string page = "/B0P1.htm";
  EXPECT_NE(ReadFileBytes(classic + page).find("caf\x82&nbsp;in"), std::string::npos);
  EXPECT_NE(ReadFileBytes(web + page).find("a café in</div>"), std::string::npos);
  EXPECT_NE(ReadFileBytes(web + page).find("25°C ± 0.5°, 5 µs, r² and ½."), std::string::npos);
}

TEST(WebEdition, EscapesNamesAndTitlesAndDropsLineEndResidue) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "src");
  // A title and a name with the HTML specials; a line whose CR LF falls
  // across the 80-byte limit; links and tabs; the DOS end-of-file mark.
  std::string source = "@R&D <1>\r\n:A<B>:\"Q\"\r\n T & <t>\r\n ";
  source.append(78, 'x');
  source.append("\r\n see ~\"q\"~\tend\r\n x~ \t~y\r\n:Last\r\n Last\r\n\x1A");
  WriteFileBytes(scratch / "src/a.txt", source);
  const std::string out = Convert(scratch, scratch / "src", "web", OutputEdition::Web);

  const std::string first = ReadFileBytes(out + "/B0P0.htm");
  EXPECT_NE(first.find("<title>T &amp; &lt;t&gt;</title>"), std::string::npos);
  EXPECT_NE(first.find("<div>see <a href=\"B0P0.htm\">&quot;q&quot;</a> end</div>"),
            std::string::npos);
  EXPECT_NE(first.find("<div>" + std::string(78, 'x') + "</div>"), std::string::npos);
  // A reference of blanks is its blanks, not an empty element.
  EXPECT_NE(first.find("<div>x       y</div>"), std::string::npos);
  EXPECT_EQ(first.find("\xE2\x99\xAA"), std::string::npos);  // no CR shown as a note
  EXPECT_NE(first.find("rel=\"next\">Last \xE2\x86\x92</a>"), std::string::npos);

  const std::string last = ReadFileBytes(out + "/B0P1.htm");
  // The end-of-file mark makes no line of its own, and the last page no next link.
  EXPECT_NE(last.find("<div>Last</div>\r\n</div>\r\n</main>"), std::string::npos);
  EXPECT_EQ(last.find("\xE2\x86\x92</a>"), std::string::npos);

  const std::string section = ReadFileBytes(out + "/Topic0.htm");
  EXPECT_NE(section.find("<title>R&amp;D &lt;1&gt;</title>"), std::string::npos);
  EXPECT_NE(section.find("<a href=\"B0P0.htm\">A&lt;B&gt;</a> <span class=\"aka\">\xC2\xB7 "
                         "&quot;Q&quot;</span>"),
            std::string::npos);
  EXPECT_NE(ReadFileBytes(out + "/search-index.js").find("[\"\\\"Q\\\"\",0,\"B0P0.htm\"]"),
            std::string::npos);
  EXPECT_NE(ReadFileBytes(out + "/Index.htm").find("R&amp;D &lt;1&gt;</a> <span "
                                                    "class=\"count\">2 topics</span>"),
            std::string::npos);
}

TEST(WebEdition, EveryLinkLeadsToAFileEvenForATopicLineThatOpensNoPage) {
  // In the edge cases a topic line is the title line of the one before: the
  // catalogue names a page for it that the classic pages never write.
  ScratchFolder scratch;
  const std::string out = Convert(scratch, std::string(MARLIX_TEST_DATA) + "/pinned/edges/source",
                                  "web", OutputEdition::Web);
  static const std::regex target("(?:href|src|url)=\"?([^\">]*)\"");
  int links = 0;
  std::set<std::string> broken;
  for (const std::string& name : Names(out)) {
    const std::string text = ReadFileBytes(out + "/" + name);
    for (std::sregex_iterator it(text.begin(), text.end(), target), end; it != end; ++it) {
      const std::string link = (*it)[1].str();
      if (link.find(':') != std::string::npos) continue;  // the author's home page
      ++links;
      if (!std::filesystem::exists(out + "/" + link.substr(0, link.find('?')))) broken.insert(link);
    }
  }
  EXPECT_EQ(broken, std::set<std::string>{});
  EXPECT_GT(links, 20);
  EXPECT_NE(ReadFileBytes(out + "/B0P2.htm").find("url=B0P1.htm"), std::string::npos);
}

}  // namespace
}  // namespace marlix
