#include "engine/editions/web/web_text.h"

#include <cstdint>

#include "engine/format/code_page_437.h"

namespace marlix {

void AppendWebText(TextString& out, const char* bytes, std::size_t n, std::uint32_t& column) {
  // Room for the longest result first (a tab at a tab stop is 8 bytes), so
  // that text the string cannot hold is refused whole and counted. Room past
  // what a size_t holds (from 2^29 bytes on in 32 bits) is asked as the
  // largest size, which the string refuses.
  constexpr std::size_t kMostBytes = SIZE_MAX / kWebTabWidth;
  if (n == 0 || out.AppendSpace(n <= kMostBytes ? n * kWebTabWidth : SIZE_MAX) == nullptr) return;
  // Runs of printable ASCII other than the HTML specials are copied whole;
  // every other byte is its character, escaped, or a tab's blanks.
  std::size_t i = 0;
  while (i < n) {
    const std::size_t run = i;
    while (i < n && bytes[i] >= 0x20 && bytes[i] < 0x7F && bytes[i] != '<' && bytes[i] != '>' &&
           bytes[i] != '&' && bytes[i] != '"') {
      ++i;
    }
    if (i > run) {
      out.AppendBytes(bytes + run, i - run);
      column += static_cast<std::uint32_t>(i - run);
    }
    if (i == n) break;
    const auto c = static_cast<unsigned char>(bytes[i++]);
    switch (c) {
      case '\t': {
        const std::uint32_t spaces = kWebTabWidth - column % kWebTabWidth;
        out.AppendBytes("        ", spaces);
        column += spaces;
        continue;
      }
      case '<':
        out.AppendBytes("&lt;", 4);
        break;
      case '>':
        out.AppendBytes("&gt;", 4);
        break;
      case '&':
        out.AppendBytes("&amp;", 5);
        break;
      case '"':
        out.AppendBytes("&quot;", 6);
        break;
      default:
        AppendCp437Utf8(out, c);  // nothing for a zero byte
        break;
    }
    ++column;
  }
}

TextString WebText(const TextString& text) {
  TextString out;
  std::uint32_t column = 0;
  AppendWebText(out, text.CStr(), text.Length(), column);
  return out;
}

TextString ShownReferenceName(const TextString& name) {
  for (std::uint32_t i = 0; i < name.Length(); ++i) {
    if (name[i] != ' ') return name;
  }
  return TextString("Marlix");
}

}  // namespace marlix
