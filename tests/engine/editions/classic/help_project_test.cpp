#include "engine/editions/classic/help_project.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/conversion_driver.h"
#include "support/source_scratch.h"

namespace marlix {
namespace {

using testing::ReadFileBytes;
using testing::SourceScratch;

constexpr char kSitemapHead[] =
    "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\r\n<HTML>\r\n<HEAD>\r\n"
    "<meta name=\"GENERATOR\" content=\"Microsoft&reg; HTML Help Workshop 4.1\">\r\n"
    "<!-- Sitemap 1.0 -->\r\n</HEAD><BODY>";

TEST(HelpProject, ReferenceWithoutTopics) {
  SourceScratch scratch;
  scratch.AddSource("a.txt", "@Only \"quoted\" <text>\r\n no topics here\r\n");
  ASSERT_EQ(scratch.Convert(), ConversionOutcome::Completed);

  // Nine lines: the head, an empty list and the end.
  EXPECT_EQ(ReadFileBytes(scratch / "out/Index.hhk"),
            std::string(kSitemapHead) + "\r\n<UL>\r\n</UL>\r\n</BODY></HTML>");
  EXPECT_EQ(ReadFileBytes(scratch / "out/Marlix.hhp"),
            "[OPTIONS]\r\nBinary TOC=Yes\r\nCompatibility=1.1 or later\r\n"
            "Compiled file=Marlix.chm\r\nContents file=toc.hhc\r\nDefault topic=Index.htm\r\n"
            "Display compile progress=No\r\nFull-text search=Yes\r\nIndex file=Index.hhk\r\n"
            "Language=0x409 English (United States)\r\nTitle=Mar Lix\r\n\r\n\r\n[FILES]\r\n"
            "Index.htm\r\nTopic0.htm\r\n[INFOTYPES]");
  // Names go into the sitemap unescaped.
  EXPECT_EQ(ReadFileBytes(scratch / "out/toc.hhc"),
            std::string(kSitemapHead) +
                "\r\n<OBJECT type=\"text/site properties\">\r\n"
                "\t<param name=\"Window Styles\" value=\"0x800025\">\r\n</OBJECT>\r\n<UL>\r\n"
                "\t<LI> <OBJECT type=\"text/sitemap\">\r\n"
                "\t\t<param name=\"Name\" value=\"Mar Lix\">\r\n"
                "\t\t<param name=\"Local\" value=\"Index.htm\">\r\n\t\t</OBJECT>\r\n"
                "\t<LI> <OBJECT type=\"text/sitemap\">\r\n"
                "\t\t<param name=\"Name\" value=\"Only \"quoted\" <text>\">\r\n"
                "\t\t<param name=\"Local\" value=\"Topic0.htm\">\r\n\t\t</OBJECT>\r\n"
                "</UL>\r\n</BODY></HTML>");
}

}  // namespace
}  // namespace marlix
