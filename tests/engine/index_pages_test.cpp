#include "engine/index_pages.h"

#include <gtest/gtest.h>

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

constexpr char kHead[] =
    "<HTML>\r\n<HEAD>\r\n<TITLE>Marlix</TITLE>\r\n</HEAD>\r\n<BODY ALINK=\"#FF0066\" "
    "BGCOLOR=\"#ffffff\" VLINK=\"#6666FF\" LINK=\"#3333CC\" style=\"font-family: Courier New; "
    "font-size: 10pt; color: #000000\">";
constexpr char kCreditAndFoot[] =
    "\r\n<p>Converted With <a href=\"http://dorranvell.example/\">Marlix to HTML</a> by Dorran "
    "Vell.</p>\r\n</BODY>\r\n</HTML>";

TEST(IndexPages, FileThatVanishesKeepsTheOtherNumbers) {
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

TEST(IndexPages, NoSourceOpensGivesHeadCreditAndFoot) {
  SourceScratch scratch;
  scratch.AddSource("a.txt", "@Alpha");
  FaultyFileSystem faulty;
  faulty.vanishOnOpen = {"a.txt"};
  faulty.vanishFromOpen = 2;
  platform::ScopedFileSystem guard(faulty);
  EXPECT_EQ(scratch.Convert(), ConversionOutcome::IncompleteOutput);
  EXPECT_EQ(ReadFileBytes(scratch / "out/Index.htm"), std::string(kHead) + kCreditAndFoot);
}

TEST(IndexPages, ElevenFilesNumberInFullDecimal) {
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

TEST(IndexPages, SectionPageOfAFileWithoutTopics) {
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
