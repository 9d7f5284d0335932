#include "engine/page_skeleton.h"

namespace marlix {

void WritePageHead(OutputFile& page, const TextString& title) {
  page.WriteLine("<HTML>");
  page.WriteLine("<HEAD>");
  page.WriteLine("<TITLE>");
  page.Write(title);
  page.Write("</TITLE>");
  page.WriteLine("</HEAD>");
  page.WriteLine("<BODY ALINK=\"#FF0066\" BGCOLOR=\"#ffffff\" VLINK=\"#6666FF\" LINK=\"#3333CC\" ");
  page.Write("style=\"font-family: Courier New; font-size: 10pt; color: #000000\">");
}

void WritePageFoot(OutputFile& page) {
  page.WriteLine("</BODY>");
  page.WriteLine("</HTML>");
}

}  // namespace marlix
