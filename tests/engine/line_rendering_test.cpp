#include "engine/line_rendering.h"

#include <gtest/gtest.h>

#include <string>

namespace marlix {
namespace {

class LineRenderingTest : public ::testing::Test {
 protected:
  LineRenderingTest() {
    catalogue_.Add("Print", "B0P0.htm");
    catalogue_.Add("Input Box", "B1P7.htm");
  }

  // The HTML RenderLine makes of line.
  std::string Render(const std::string& line) {
    TextString html;
    RenderLine(html, catalogue_, TextString(line.c_str(), line.size()));
    return html.CStr();
  }

  TopicCatalogue catalogue_;
};

TEST_F(LineRenderingTest, FormatColumnPicksTheMarkup) {
  EXPECT_EQ(ClassifyLine("\tx"), LineKind::IndentedLine);
  EXPECT_EQ(ClassifyLine("^x"), LineKind::CentredHeading);
  EXPECT_EQ(ClassifyLine("%x"), LineKind::BoldHeading);
  EXPECT_EQ(ClassifyLine(":x"), LineKind::PlainLine);
  EXPECT_EQ(ClassifyLine(""), LineKind::PlainLine);
  EXPECT_EQ(Render(" word"), "word<br>");
  EXPECT_EQ(Render("  word"), "&nbsp;word<br>");
  EXPECT_EQ(Render("Xword"), "word<br>");
  EXPECT_EQ(Render("\tword"), "&nbsp;&nbsp;&nbsp;&nbsp;word<BR>");
  EXPECT_EQ(Render("^Title"),
            "<p align=\"center\" style=\"background-color: #F3F3F3\"><font face=\"Book Antiqua\" "
            "size=\"3\"><b>Title</b></font></p>");
  EXPECT_EQ(Render("%Title"), "<b><font face=\"Book Antiqua\" size=\"3\">Title</font></b><br>");
  EXPECT_EQ(Render(" 50% ^up^ a:b"), "50%&nbsp;^up^&nbsp;a:b<br>");
}

TEST_F(LineRenderingTest, ShortLinesAreBreaks) {
  for (const char* line : {"", " ", "%", "^", "\t", "~"}) EXPECT_EQ(Render(line), "<BR>") << line;
}

TEST_F(LineRenderingTest, CrossReferences) {
  // The lookup ignores case; the visible text keeps the line's spelling.
  EXPECT_EQ(Render(" see ~PRINT~."), "see&nbsp;<A HREF=\"B0P0.htm\">PRINT</A>.<br>");
  // Link text is neither converted nor trimmed.
  EXPECT_EQ(Render(" ~input box~"), "<A HREF=\"B1P7.htm\">input box</A><br>");
  EXPECT_EQ(Render(" ~a<b & c~"), "<B>a<b & c</B><br>");
  EXPECT_EQ(Render(" ~~"), "~<br>");
  EXPECT_EQ(Render(" a~~b~~~print~"), "a~b~<A HREF=\"B0P0.htm\">print</A><br>");
  // A "~~" inside a link goes to the text before it; the link stays open.
  EXPECT_EQ(Render(" ~Pr~~int~"), "~<A HREF=\"B0P0.htm\">Print</A><br>");
  EXPECT_EQ(Render(" ~Pr~~in~"), "~<B>Prin</B><br>");
  EXPECT_EQ(Render(" ~~~"), "~~<br>");
}

TEST_F(LineRenderingTest, UnclosedLinkKeepsTheRestAsText) {
  EXPECT_EQ(Render(" price ~5 & up"), "price&nbsp;~5&nbsp;&amp;&nbsp;up<br>");
  EXPECT_EQ(Render(" ~print~ then ~open"),
            "<A HREF=\"B0P0.htm\">print</A>&nbsp;then&nbsp;~open<br>");
  EXPECT_EQ(Render(" end~"), "end~<br>");
  EXPECT_EQ(Render(" ~a~~b"), "~a~b<br>");
  EXPECT_EQ(Render("\t~x"), "&nbsp;&nbsp;&nbsp;&nbsp;~x<BR>");
}

}  // namespace
}  // namespace marlix
