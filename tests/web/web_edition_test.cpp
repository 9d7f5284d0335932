// Whole conversions into the web edition.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "engine/conversion_driver.h"
#include "engine/format/page_names.h"
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
  expected.insert({"search.htm", "search.js", "search-index.js", "style.css", "contents.js"});
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
  EXPECT_NE(first.find("<title>T &amp; &lt;t&gt; \xE2\x80\x94 web</title>"), std::string::npos);
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
  EXPECT_NE(section.find("<title>R&amp;D &lt;1&gt; \xE2\x80\x94 web</title>"), std::string::npos);
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
    if (!name.ends_with(".htm")) continue;
    const std::string text = ReadFileBytes(out + "/" + name);
    for (std::sregex_iterator it(text.begin(), text.end(), target), end; it != end; ++it) {
      const std::string link = (*it)[1].str();
      if (link.find(':') != std::string::npos) continue;  // the author's home page
      if (link == "#text") {  // the link past the header
        if (text.find("<main id=\"text\">") == std::string::npos) broken.insert(name + link);
        continue;
      }
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
  EXPECT_NE(alpha.find("</nav>\r\n<h1>The <a href=\"B0P1.htm\">beta</a> and <b>zeta</b></h1>\r\n"
                       "<div class=\"text\" tabindex=\"0\">\r\n<div>text</div>\r\n</div>"),
            std::string::npos)
      << alpha;
  // A title line of blanks, and none at all, give the topic's first name.
  EXPECT_NE(ReadFileBytes(out + "/B0P1.htm").find("<h1>Beta</h1>\r\n<div class=\"text\" "
                                                   "tabindex=\"0\">\r\n<div>more</div>"),
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

TEST(WebEdition, EveryTabOfALineStopsAtAMultipleOf8ColumnsOfTheShownLine) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "src");
  // The format column's tab is a tab at column 0; "~" markup counts as the
  // text it shows (a link's name, one "~" for "~~").
  WriteFileBytes(scratch / "src/a.txt",
                 "@S\r\n:Alpha\r\n Title\r\n%\tHead\tX\r\n\t 0\tDivide\r\n"
                 "%\t~alpha~ a\tNamed\r\n\t~~x\tY\r\n^\tMid\r\n\t\r\n");
  const std::string page = ReadFileBytes(Convert(scratch, scratch / "src", "web",
                                                 OutputEdition::Web) + "/B0P0.htm");
  const std::string eight(8, ' ');
  EXPECT_NE(page.find("<h3 class=\"b\">" + eight + "Head    X</h3>"), std::string::npos) << page;
  EXPECT_NE(page.find("<div>" + eight + " 0      Divide</div>"), std::string::npos);
  EXPECT_NE(page.find("<h3 class=\"b\">" + eight + "<a href=\"B0P0.htm\">alpha</a> a Named</h3>"),
            std::string::npos);
  EXPECT_NE(page.find("<div>" + eight + "~x      Y</div>"), std::string::npos);
  // Other kinds count from their first shown column; a tab alone shows nothing.
  EXPECT_NE(page.find("<h2 class=\"c\">" + eight + "Mid</h2>"), std::string::npos);
  EXPECT_NE(page.find("<div><br></div>\r\n</div>"), std::string::npos);
  EXPECT_EQ(page.find("class=\"i\""), std::string::npos);
}

TEST(WebEdition, TheReferencesNameTitlesEveryPageAndATitleGivenReplacesIt) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "src");
  WriteFileBytes(scratch / "src/a.txt", "@Sec\r\n:Alpha\r\n INT 21,4C\r\n");
  // "<" and ">" are no characters of a Windows file name; "&" is.
  const std::string named = Convert(scratch, scratch / "src", "R&D 2", OutputEdition::Web);
  const std::string escaped = "R&amp;D 2";
  EXPECT_NE(ReadFileBytes(named + "/Index.htm").find("<title>" + escaped + "</title>"),
            std::string::npos);
  EXPECT_NE(ReadFileBytes(named + "/Index.htm").find("<h1>" + escaped + "</h1>"), std::string::npos);
  for (const char* file : {"/Index.htm", "/Topic0.htm", "/B0P0.htm", "/search.htm"}) {
    const std::string page = ReadFileBytes(named + file);
    // The same header on every page: the name, leading to the contents, after
    // the link past it, then the search field.
    EXPECT_EQ(page.find("<body"), page.find("<a class=\"skip\" href=\"#text\">") -
                                      page.substr(page.find("<body")).find('\n') - 1)
        << file;
    EXPECT_NE(page.find("<header>\r\n<a class=\"site\" href=\"Index.htm\" rel=\"home\">" + escaped +
                        "</a>\r\n<form class=\"find\""),
              std::string::npos)
        << file;
    EXPECT_NE(page.find("<main id=\"text\">"), std::string::npos) << file;
    EXPECT_NE(page.find("<script src=\"contents.js\"></script>"), std::string::npos) << file;
  }
  EXPECT_NE(ReadFileBytes(named + "/B0P0.htm").find("<title>INT 21,4C \xE2\x80\x94 " + escaped),
            std::string::npos);
  EXPECT_NE(ReadFileBytes(named + "/Topic0.htm").find("<title>Sec \xE2\x80\x94 " + escaped),
            std::string::npos);
  EXPECT_NE(ReadFileBytes(named + "/search.htm").find("<title>Search \xE2\x80\x94 " + escaped),
            std::string::npos);

  // A title given, in UTF-8 with a byte that is none, replaces NAME in the
  // pages, and in a docset's name too.
  ConversionRequest request{(scratch / "src").c_str(), scratch.Path().c_str(), "titled",
                            OutputEdition::Web, "Caf\xC3\xA9 \"\xFF\""};
  ASSERT_EQ(RunConversion(request), ConversionOutcome::Completed);
  EXPECT_NE(ReadFileBytes(scratch / "titled/B0P0.htm")
                .find("<title>INT 21,4C \xE2\x80\x94 Caf\xC3\xA9 &quot;\xEF\xBF\xBD&quot;</title>"),
            std::string::npos);
  EXPECT_EQ(ReadFileBytes(scratch / "titled/Index.htm").find("titled"), std::string::npos);
  request.destinationFolderName = "set";
  request.edition = OutputEdition::Docset;
  if (CanWrite(OutputEdition::Docset)) {
    ASSERT_EQ(RunConversion(request), ConversionOutcome::Completed);
    EXPECT_NE(ReadFileBytes(scratch / "set.docset/Contents/Info.plist")
                  .find("<string>Caf\xC3\xA9 &quot;\xEF\xBF\xBD&quot;</string>"),
              std::string::npos);
    EXPECT_NE(ReadFileBytes(scratch / "set.docset/Contents/Resources/Documents/Index.htm")
                  .find("<h1>Caf\xC3\xA9 &quot;\xEF\xBF\xBD&quot;</h1>"),
              std::string::npos);
  }
}

TEST(WebEdition, TheContentsScriptHoldsEverySectionWithItsPagesOnce) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "src");
  // Two sections; a title line that is a topic line opens no page of its own;
  // names with quotes and backslashes stay text of the script.
  WriteFileBytes(scratch / "src/a.txt", "@One \"1\"\r\n:A\\B:Also\r\n T\r\n:   \r\n T\r\n");
  WriteFileBytes(scratch / "src/b.txt", "@Two\r\n:C\r\n:D\r\n T\r\n");
  const std::string out = Convert(scratch, scratch / "src", "web", OutputEdition::Web);
  const std::string script = ReadFileBytes(out + "/contents.js");
  const std::string data = script.substr(0, script.find("];\r\n") + 4);
  EXPECT_EQ(data,
            "window.marlixContents = [\r\n"
            "[\"Topic0.htm\",\"One &quot;1&quot;\",\"B0P0.htm\",\"A\\\\B\",\"B0P1.htm\","
            "\"(unnamed topic)\"],\r\n"
            "[\"Topic1.htm\",\"Two\",\"B1P2.htm\",\"C\"]];\r\n")
      << script;
  // The code follows the data; no page holds the list itself.
  EXPECT_NE(script.find("marlixContents", data.size()), std::string::npos);
  EXPECT_EQ(ReadFileBytes(out + "/B0P0.htm").find("B1P2.htm"), std::string::npos);
}

}  // namespace
}  // namespace marlix
