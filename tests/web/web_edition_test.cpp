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
  source.append("\r\n see ~\"q\"~\tend\r\n x~ \t~y\r\n:Last\r\n Last\r\n Final\r\n\x1A");
  WriteFileBytes(scratch / "src/a.txt", source);
  const std::string out = Convert(scratch, scratch / "src", "web", OutputEdition::Web);

  const std::string first = ReadFileBytes(out + "/B0P0.htm");
  EXPECT_NE(first.find("<title>T &amp; &lt;t&gt;</title>"), std::string::npos);
  EXPECT_NE(first.find("<h1>T &amp; &lt;t&gt;</h1>"), std::string::npos);
  EXPECT_NE(first.find("<div>see <a href=\"B0P0.htm\">&quot;q&quot;</a> end</div>"),
            std::string::npos);
  EXPECT_NE(first.find("<div>" + std::string(78, 'x') + "</div>"), std::string::npos);
  // A reference of blanks is its blanks, not an empty element.
  EXPECT_NE(first.find("<div>x       y</div>"), std::string::npos);
  EXPECT_EQ(first.find("\xE2\x99\xAA"), std::string::npos);  // no CR shown as a note
  EXPECT_NE(first.find("rel=\"next\">Last \xE2\x86\x92</a>"), std::string::npos);

  const std::string last = ReadFileBytes(out + "/B0P1.htm");
  // The end-of-file mark makes no line of its own, and the last page no next link.
  EXPECT_NE(last.find("<div>Final</div>\r\n</div>\r\n</main>"), std::string::npos);
  EXPECT_EQ(last.find("\xE2\x86\x92</a>"), std::string::npos);

  const std::string section = ReadFileBytes(out + "/Topic0.htm");
  EXPECT_NE(section.find("<title>R&amp;D &lt;1&gt;</title>"), std::string::npos);
  EXPECT_NE(section.find("<a href=\"B0P0.htm\">A&lt;B&gt;</a> <span class=\"aka\">\xC2\xB7 "
                         "&quot;Q&quot;</span>"),
            std::string::npos);
  // The search data holds names and titles as text for the script, not as HTML.
  const std::string data = ReadFileBytes(out + "/search-index.js");
  EXPECT_NE(data.find("\"sections\": [\"R&D <1>\"]"), std::string::npos);
  EXPECT_NE(data.find("[\"B0P0.htm\",0,\"T & <t>\",\""), std::string::npos);
  EXPECT_NE(data.find("\",\"A<B>\",\"\\\"Q\\\"\"]"), std::string::npos);
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

TEST(WebEdition, ATopicPagesHeadingIsItsTitleLineInPlaceOfThatLine) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "src");
  WriteFileBytes(scratch / "src/a.txt",
                 "@S\r\n:Alpha\r\n The ~beta~ and ~zeta~\r\n text\r\n:Beta\r\n   \r\n"
                 " more\r\n:Gamma:Delta\r\n");
  const std::string out = Convert(scratch, scratch / "src", "web", OutputEdition::Web);
  // Links and bold names as in the text; the line is not shown twice.
  const std::string alpha = ReadFileBytes(out + "/B0P0.htm");
  EXPECT_NE(alpha.find("<main>\r\n<h1>The <a href=\"B0P1.htm\">beta</a> and <b>zeta</b></h1>\r\n"
                       "<div class=\"text\">\r\n<div>text</div>\r\n</div>"),
            std::string::npos)
      << alpha;
  // A title line of blanks, and none at all, give the topic's first name.
  EXPECT_NE(ReadFileBytes(out + "/B0P1.htm").find("<h1>Beta</h1>\r\n<div class=\"text\">\r\n"
                                                   "<div>more</div>"),
            std::string::npos);
  EXPECT_NE(ReadFileBytes(out + "/B0P2.htm").find("<h1>Gamma</h1>"), std::string::npos);
}

TEST(WebEdition, EveryPageHasTheSearchFieldAndOnlyTheSearchPageNamesTheData) {
  ScratchFolder scratch;
  const std::string out = Convert(scratch, std::string(MARLIX_TEST_DATA) + "/pinned/edges/source",
                                  "web", OutputEdition::Web);
  int withField = 0;
  for (const std::string& name : Names(out)) {
    if (!name.ends_with(".htm")) continue;
    const std::string page = ReadFileBytes(out + "/" + name);
    // A page that only forwards to another has nothing to search from.
    if (page.find("http-equiv=\"refresh\"") != std::string::npos) {
      EXPECT_EQ(page.find("<script"), std::string::npos) << name;
      continue;
    }
    ++withField;
    const std::size_t header = page.find("<header>");
    const std::size_t field = page.find("<input id=\"q\" name=\"q\" type=\"search\"");
    EXPECT_NE(page.find("<form class=\"find\" id=\"find\" action=\"search.htm\""), std::string::npos)
        << name;
    EXPECT_TRUE(header != std::string::npos && field > header && field < page.find("</header>"))
        << name;
    EXPECT_EQ(page.find("id=\"q\""), page.rfind("id=\"q\"")) << name;
    EXPECT_NE(page.find("<script src=\"search.js\"></script>\r\n</body>"), std::string::npos) << name;
    // The data is loaded by the script when a search needs it, never by a page.
    EXPECT_EQ(page.find("<script src=\"search-index.js\""), std::string::npos) << name;
    EXPECT_EQ(page.find("data-source") != std::string::npos, name == "search.htm") << name;
  }
  EXPECT_GT(withField, 5);
  EXPECT_NE(ReadFileBytes(out + "/search.htm")
                .find("<ol id=\"results\" class=\"results\" data-source=\"search-index.js\"></ol>"),
            std::string::npos);
}

}  // namespace
}  // namespace marlix
