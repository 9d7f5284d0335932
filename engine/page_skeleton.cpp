#include "engine/page_skeleton.h"

namespace marlix {
namespace {

// The head around the title: "<HTML>", "<HEAD>", "<TITLE>" + title +
// "</TITLE>", "</HEAD>", and the BODY start tag, whose style attribute carries
// the page's font, on one line.
constexpr char kHeadBeforeTitle[] = "<HTML>\r\n<HEAD>\r\n<TITLE>";
constexpr char kHeadAfterTitle[] =
    "</TITLE>\r\n</HEAD>\r\n"
    "<BODY ALINK=\"#FF0066\" BGCOLOR=\"#ffffff\" VLINK=\"#6666FF\" LINK=\"#3333CC\" "
    "style=\"font-family: Courier New; font-size: 10pt; color: #000000\">";
constexpr char kFoot[] = "\r\n</BODY>\r\n</HTML>";

}  // namespace

void WritePageHead(OutputFile& page, const TextString& title) {
  page.WriteLineBytes(kHeadBeforeTitle, sizeof kHeadBeforeTitle - 1);
  page.Write(title);
  page.WriteBytes(kHeadAfterTitle, sizeof kHeadAfterTitle - 1);
}

void WritePageFoot(OutputFile& page) {
  page.WriteLine("</BODY>");
  page.WriteLine("</HTML>");
}

void AppendPageHead(TextString& page, const char* title, std::uint32_t length) {
  page.AppendBytes(kHeadBeforeTitle, sizeof kHeadBeforeTitle - 1);
  page.AppendBytes(title, length);
  page.AppendBytes(kHeadAfterTitle, sizeof kHeadAfterTitle - 1);
}

void AppendPageFoot(TextString& page) { page.AppendBytes(kFoot, sizeof kFoot - 1); }

}  // namespace marlix
