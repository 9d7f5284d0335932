#include "engine/editions/classic/classic_edition.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/conversion_driver.h"
#include "support/faulty_file_system.h"
#include "support/source_scratch.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::ListFolder;
using testing::ReadFileBytes;
using testing::SourceScratch;

std::string Body(const std::string& page) {
  // What follows the BODY start tag, without the foot.
  std::size_t start = page.find("#000000\">");
  std::size_t end = page.rfind("\r\n</BODY>");
  if (start == std::string::npos || end == std::string::npos) return "<malformed>";
  return page.substr(start + 9, end - start - 9);
}

TEST(ClassicTopicPages, ARepeatedFirstNameStillGetsItsOwnPage) {
  SourceScratch scratch;
  scratch.AddSource(
      "a.txt",
      "@A\r\n:Mode\r\n First mode\r\n:Other:MODE\r\n Other\r\n:mode\r\n Second mode\r\n"
      " text that must not be lost\r\n see ~mode~");
  ASSERT_EQ(scratch.Convert(), ConversionOutcome::Completed);
  EXPECT_EQ(Body(ReadFileBytes(scratch / "out/B0P0.htm")), "\r\nFirst&nbsp;mode<br>");
  // References keep the first-match rule: they lead to the first Mode.
  EXPECT_EQ(Body(ReadFileBytes(scratch / "out/B0P2.htm")),
            "\r\nSecond&nbsp;mode<br>\r\ntext&nbsp;that&nbsp;must&nbsp;not&nbsp;be&nbsp;lost<br>"
            "\r\nsee&nbsp;<A HREF=\"B0P0.htm\">mode</A><br>");
  // The section page leads to each topic line's own page.
  std::string section = ReadFileBytes(scratch / "out/Topic0.htm");
  EXPECT_NE(section.find("<A HREF=\"B0P1.htm\">MODE</A><BR>"), std::string::npos);
  EXPECT_NE(section.find("<A HREF=\"B0P2.htm\">mode</A><BR>"), std::string::npos);
}

TEST(ClassicTopicPages, APageThatCannotBeCreatedLosesOnlyItsTopic) {
  SourceScratch scratch;
  scratch.AddSource("a.txt", "@A\r\n:One\r\n one\r\n:Two\r\n two\r\n:Three\r\n three");
  FaultyFileSystem faulty;
  faulty.refuseCreate = {"B0P1.htm"};
  platform::ScopedFileSystem guard(faulty);
  EXPECT_EQ(scratch.Convert(), ConversionOutcome::IncompleteOutput);
  EXPECT_EQ(Body(ReadFileBytes(scratch / "out/B0P0.htm")), "\r\none<br>");
  EXPECT_EQ(Body(ReadFileBytes(scratch / "out/B0P2.htm")), "\r\nthree<br>");
  EXPECT_EQ(ListFolder(scratch / "out"),
            "B0P0.htm B0P2.htm Index.hhk Index.htm Marlix.hhp Topic0.htm toc.hhc");
}

constexpr char kHead[] =
    "<HTML>\r\n<HEAD>\r\n<TITLE>Marlix</TITLE>\r\n</HEAD>\r\n<BODY ALINK=\"#FF0066\" "
    "BGCOLOR=\"#ffffff\" VLINK=\"#6666FF\" LINK=\"#3333CC\" style=\"font-family: Courier New; "
    "font-size: 10pt; color: #000000\">";
constexpr char kCreditAndFoot[] =
    "\r\n<p>Converted With <a href=\"http://dorranvell.example/\">Marlix to HTML</a> by Dorran "
    "Vell.</p>\r\n</BODY>\r\n</HTML>";

TEST(ClassicIndexPages, FileThatVanishesKeepsTheOtherNumbers) {
  SourceScratch scratch;
  scratch.AddSource("a.txt", "@Alpha\r\n:A\r\n a");
  scratch.AddSource("b.txt", "@Beta\r\n:B\r\n b");
  scratch.AddSource("c.txt", "@Gamma & <Delta>\r\n:C\r\n c");
  FaultyFileSystem faulty;
  faulty.vanishOnOpen = {"b.txt"};
  faulty.vanishFromOpen = 2;  // found by discovery, gone afterwards
  platform::ScopedFileSystem guard(faulty);
  EXPECT_EQ(scratch.Convert(), ConversionOutcome::IncompleteOutput);
  EXPECT_EQ(ReadFileBytes(scratch / "out/Index.htm"),
            std::string(kHead) + "\r\n<A HREF=\"Topic0.htm\">Alpha</A><BR>" +
                "\r\n<A HREF=\"Topic2.htm\">Gamma & <Delta></A><BR>" + kCreditAndFoot);
  EXPECT_EQ(ListFolder(scratch / "out"),
            "B0P0.htm B2P1.htm Index.hhk Index.htm Marlix.hhp Topic0.htm Topic2.htm toc.hhc");
  std::string contents = ReadFileBytes(scratch / "out/toc.hhc");
  EXPECT_NE(contents.find("value=\"Topic0.htm\""), std::string::npos);
  EXPECT_EQ(contents.find("value=\"Topic1.htm\""), std::string::npos);
  EXPECT_NE(contents.find("value=\"Topic2.htm\""), std::string::npos);
}

TEST(ClassicIndexPages, NoSourceOpensGivesHeadCreditAndFoot) {
  SourceScratch scratch;
  scratch.AddSource("a.txt", "@Alpha");
  FaultyFileSystem faulty;
  faulty.vanishOnOpen = {"a.txt"};
  faulty.vanishFromOpen = 2;
  platform::ScopedFileSystem guard(faulty);
  EXPECT_EQ(scratch.Convert(), ConversionOutcome::IncompleteOutput);
  EXPECT_EQ(ReadFileBytes(scratch / "out/Index.htm"), std::string(kHead) + kCreditAndFoot);
}

TEST(ClassicIndexPages, ElevenFilesNumberInFullDecimal) {
  SourceScratch scratch;
  for (int i = 0; i < 11; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d.txt", i);
    scratch.AddSource(name, "@Part " + std::to_string(i) + "\r\n:T" + std::to_string(i));
  }
  ASSERT_EQ(scratch.Convert(), ConversionOutcome::Completed);
  std::string index = ReadFileBytes(scratch / "out/Index.htm");
  EXPECT_NE(index.find("<A HREF=\"Topic10.htm\">Part 10</A><BR>"), std::string::npos);
  EXPECT_NE(ReadFileBytes(scratch / "out/Topic10.htm").find("<A HREF=\"B10P10.htm\">T10</A>"),
            std::string::npos);
  std::string contents = ReadFileBytes(scratch / "out/toc.hhc");
  EXPECT_NE(contents.rfind("value=\"Topic10.htm\">\r\n\t\t</OBJECT>\r\n</UL>"), std::string::npos);
}

TEST(ClassicIndexPages, SectionPageOfAFileWithoutTopics) {
  SourceScratch scratch;
  scratch.AddSource("a.txt", "@");
  ASSERT_EQ(scratch.Convert(), ConversionOutcome::Completed);
  EXPECT_EQ(ReadFileBytes(scratch / "out/Topic0.htm"),
            "<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY ALINK=\"#FF0066\" "
            "BGCOLOR=\"#ffffff\" VLINK=\"#6666FF\" LINK=\"#3333CC\" style=\"font-family: Courier "
            "New; font-size: 10pt; color: #000000\">\r\n</BODY>\r\n</HTML>");
}

}  // namespace
}  // namespace marlix
