// Line rendering alone, in memory, against a model that follows the rules of
// a body line step by step: one byte at a time through EncodeHtmlChar, "~~"
// as one "~", a "~name~" pair looked up by a plain scan of the catalogue
// without regard to ASCII case, and the markup of the line's kind around it
// all. A "~" that nothing closes is kept as text, and so is the rest of the
// line after it (no text of the source is dropped). The fast paths of RenderLine (runs
// copied whole, a lookup index) must give the same bytes.
//
// Input: topic lines, each ended by LF, up to an empty line; then the body
// line (cut at a zero byte, as a reader hands it out).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/entity_table.h"
#include "engine/line_rendering.h"
#include "engine/topic_catalogue.h"
#include "fuzz_input.h"

namespace {

using marlix::TextString;
using marlix::TopicCatalogue;

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string ModelFindPage(const std::string& name, const TopicCatalogue& catalogue) {
  const std::string key = Upper(name);
  for (std::uint32_t i = 0; i < catalogue.Count(); ++i) {
    if (Upper(catalogue.KeyAt(i).CStr()) == key) return catalogue.ValueAt(i).CStr();
  }
  return "";
}

std::string ModelRender(const std::string& line, const TopicCatalogue& catalogue) {
  if (line.size() < 2) return "<BR>";
  std::string content;
  std::string linkText;
  bool linkOpen = false;
  std::size_t openedAt = 0;       // the position of the "~" that opened the link
  std::size_t contentAtOpen = 0;  // the content's length then
  for (std::size_t i = 1; i < line.size(); ++i) {
    char c = line[i];
    if (c != '~') {
      if (linkOpen) {
        linkText += c;
      } else {
        TextString one(std::string(1, c).c_str());
        content += marlix::EncodeHtmlChar(one).CStr();
      }
    } else if (i + 1 < line.size() && line[i + 1] == '~') {
      content += '~';
      ++i;
    } else if (!linkOpen) {
      linkOpen = true;
      linkText.clear();
      openedAt = i;
      contentAtOpen = content.size();
    } else {
      std::string page = ModelFindPage(linkText, catalogue);
      if (!page.empty()) {
        content += "<A HREF=\"" + page + "\">" + linkText + "</A>";
      } else {
        content += "<B>" + linkText + "</B>";
      }
      linkOpen = false;
      linkText.clear();
    }
  }
  if (linkOpen) {
    // Nothing closed it: the "~" and the rest are text, "~~" still one "~".
    content.resize(contentAtOpen);
    content += '~';
    for (std::size_t i = openedAt + 1; i < line.size(); ++i) {
      if (line[i] == '~' && i + 1 < line.size() && line[i + 1] == '~') ++i;
      TextString one(std::string(1, line[i]).c_str());
      content += marlix::EncodeHtmlChar(one).CStr();
    }
  }
  switch (line[0]) {
    case '\t':
      return "&nbsp;&nbsp;&nbsp;&nbsp;" + content + "<BR>";
    case '^':
      return "<p align=\"center\" style=\"background-color: #F3F3F3\">"
             "<font face=\"Book Antiqua\" size=\"3\"><b>" +
             content + "</b></font></p>";
    case '%':
      return "<b><font face=\"Book Antiqua\" size=\"3\">" + content + "</font></b><br>";
    default:
      return content + "<br>";
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  TopicCatalogue catalogue;
  std::size_t start = 0;
  std::uint32_t topic = 0;
  while (start < bytes.size()) {
    std::size_t lf = bytes.find('\n', start);
    if (lf == std::string::npos || lf == start) break;
    // Each line is a topic line of its own, names split at ":" as in a source.
    std::string line = ":" + bytes.substr(start, lf - start);
    line = line.substr(0, line.find('\0'));
    TextString page = marlix::PageName(0, topic++);
    marlix::VisitTopicNames(line.c_str(), static_cast<std::uint32_t>(line.size()),
                            [&](const char* name, std::size_t n) {
                              catalogue.Add(TextString(std::string(name, n).c_str()), page);
                            });
    start = lf + 1;
  }
  std::string line = start < bytes.size() ? bytes.substr(start + (bytes[start] == '\n')) : "";
  line = line.substr(0, line.find('\0'));

  TextString html;
  marlix::RenderLine(html, catalogue, line.c_str(), static_cast<std::uint32_t>(line.size()));
  const std::string expected = ModelRender(line, catalogue);
  if (std::string(html.CStr(), html.Length()) != expected) {
    std::fprintf(stderr, "rendered:\n%s\nexpected:\n%s\n", html.CStr(), expected.c_str());
    std::abort();
  }
  return 0;
}
