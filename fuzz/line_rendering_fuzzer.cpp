// Line rendering alone, in memory, against a model that follows the rules of
// a body line step by step: one byte at a time through EncodeHtmlChar, "~~"
// as one "~", a "~name~" pair looked up by a plain scan of the catalogue
// without regard to ASCII case, and the markup of the line's kind around it
// all. A "~" that nothing closes is kept as text, and so is the rest of the
// line after it (no text of the source is dropped). RenderLine's table of
// fixed slots and the catalogue's lookup index must give the same bytes.
//
// Input: topic lines, each ended by LF, up to an empty line; then the body
// line (cut at a zero byte, as a reader hands it out).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/editions/classic/classic_entities.h"
#include "engine/editions/classic/classic_lines.h"
#include "engine/format/page_names.h"
#include "engine/format/topic_catalogue.h"
#include "fuzz_input.h"

namespace {

using marlix::TextString;
using marlix::TopicCatalogue;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// EncodeHtmlChar of every single byte, asked once: the model still goes one
// byte at a time through it, without a string made per byte.
const std::string& Encoded(char c) {
  static const std::vector<std::string> table = [] {
    std::vector<std::string> encoded(256);
    for (int byte = 1; byte < 256; ++byte) {
      const char one[2] = {static_cast<char>(byte), 0};
      encoded[byte] = marlix::EncodeHtmlChar(TextString(one)).CStr();
    }
    return encoded;
  }();
  return table[static_cast<unsigned char>(c)];
}

// The page of the first entry whose name is name with ASCII letters folded,
// by a plain scan; nullptr when none has it.
const TextString* ModelFindPage(const std::string& name, const TopicCatalogue& catalogue) {
  const marlix::PairList& entries = catalogue.Entries();
  for (std::uint32_t i = 0; i < entries.Count(); ++i) {
    const TextString& key = *entries.KeyRef(i);
    if (key.Length() != name.size()) continue;
    std::size_t at = 0;
    while (at < name.size() && Upper(key.CStr()[at]) == Upper(name[at])) ++at;
    if (at == name.size()) return entries.ValueRef(i);
  }
  return nullptr;
}

// The model's HTML of line into out. The strings are the caller's, kept from
// run to run so that a run allocates little besides what it checks.
void ModelRender(std::string_view line, const TopicCatalogue& catalogue, std::string& out,
                 std::string& content, std::string& linkText) {
  out.clear();
  if (line.size() < 2) {
    out = "<BR>";
    return;
  }
  content.clear();
  linkText.clear();
  bool linkOpen = false;
  std::size_t openedAt = 0;       // the position of the "~" that opened the link
  std::size_t contentAtOpen = 0;  // the content's length then
  for (std::size_t i = 1; i < line.size(); ++i) {
    char c = line[i];
    if (c != '~') {
      if (linkOpen) {
        linkText += c;
      } else {
        content += Encoded(c);
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
      const TextString* page = ModelFindPage(linkText, catalogue);
      if (page != nullptr && !page->IsEmpty()) {
        ((content += "<A HREF=\"") += page->CStr()) += "\">";
        (content += linkText) += "</A>";
      } else {
        ((content += "<B>") += linkText) += "</B>";
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
      content += Encoded(line[i]);
    }
  }
  switch (line[0]) {
    case '\t':
      ((out += "&nbsp;&nbsp;&nbsp;&nbsp;") += content) += "<BR>";
      break;
    case '^':
      ((out += "<p align=\"center\" style=\"background-color: #F3F3F3\">"
               "<font face=\"Book Antiqua\" size=\"3\"><b>") += content) += "</b></font></p>";
      break;
    case '%':
      ((out += "<b><font face=\"Book Antiqua\" size=\"3\">") += content) += "</font></b><br>";
      break;
    default:
      (out += content) += "<br>";
  }
}

// bytes up to the first zero byte, as a reader hands a line out.
std::string_view CutAtZero(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // One catalogue for every run, emptied at the end of the run: a run that
  // kept its names until the next one would allocate more than it frees,
  // which libFuzzer takes for a possible leak and answers by running the
  // input again.
  static TopicCatalogue catalogue;
  std::size_t start = 0;
  std::uint32_t topic = 0;
  static std::string topicLine;
  while (start < bytes.size()) {
    std::size_t lf = bytes.find('\n', start);
    if (lf == std::string::npos || lf == start) break;
    // Each line is a topic line of its own, names split at ":" as in a source.
    topicLine.assign(1, ':');
    topicLine += CutAtZero(bytes.substr(start, lf - start));
    const TextString page = marlix::PageName(0, topic++);
    marlix::TopicNames(topicLine.data(), static_cast<std::uint32_t>(topicLine.size()),
                       [&](const char* name, std::size_t n) {
                         catalogue.Add(TextString(name, n), page);
                       });
    start = lf + 1;
  }
  const std::string_view line =
      CutAtZero(start < bytes.size() ? bytes.substr(start + (bytes[start] == '\n')) : "");

  // Kept from run to run and emptied, so that its room is made once.
  static TextString html;
  html.Empty();
  const auto length = static_cast<std::uint32_t>(line.size());
  marlix::RenderLine(html, catalogue, marlix::ClassifyLine(line.data(), length),
                     length > 1 ? line.data() + 1 : "", length > 1 ? length - 1 : 0);
  static std::string expected, content, linkText;
  ModelRender(line, catalogue, expected, content, linkText);
  if (std::string_view(html.CStr(), html.Length()) != expected) {
    std::fprintf(stderr, "rendered:\n%s\nexpected:\n%s\n", html.CStr(), expected.c_str());
    std::abort();
  }
  catalogue.Clear();
  return 0;
}
