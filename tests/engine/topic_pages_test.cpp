#include "engine/topic_pages.h"

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

std::string Body(const std::string& page) {
  // What follows the BODY start tag, without the foot.
  std::size_t start = page.find("#000000\">");
  std::size_t end = page.rfind("\r\n</BODY>");
  if (start == std::string::npos || end == std::string::npos) return "<malformed>";
  return page.substr(start + 9, end - start - 9);
}

TEST(FirstTopicName, UpToTheSecondColon) {
  EXPECT_EQ(FirstTopicName(":Alpha:Beta"), "Alpha");
  EXPECT_EQ(FirstTopicName(": Spaced "), " Spaced ");
  EXPECT_EQ(FirstTopicName(":"), "");
  EXPECT_EQ(FirstTopicName("::B"), "");
}

TEST(WriteTopicPages, ARepeatedFirstNameStillGetsItsOwnPage) {
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

TEST(WriteTopicPages, APageThatCannotBeCreatedLosesOnlyItsTopic) {
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

}  // namespace
}  // namespace marlix
