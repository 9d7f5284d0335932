#include "engine/web_text.h"

#include <array>

#include "engine/cp437_unicode.h"

namespace marlix {
namespace {

// Bytes that stand for themselves: printable ASCII except the HTML specials.
constexpr std::array<bool, 256> kPlain = [] {
  std::array<bool, 256> plain{};
  for (int c = 0x20; c < 0x7F; ++c) plain[c] = true;
  plain['<'] = plain['>'] = plain['&'] = plain['"'] = false;
  return plain;
}();

}  // namespace

void AppendWebText(TextString& out, const char* bytes, std::size_t n, std::uint32_t& column) {
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = i;
    while (run < n && kPlain[static_cast<unsigned char>(bytes[run])]) ++run;
    if (run > i) {
      out.AppendN(bytes + i, run - i);
      column += static_cast<std::uint32_t>(run - i);
      i = run;
      if (i == n) break;
    }
    const unsigned char c = static_cast<unsigned char>(bytes[i++]);
    switch (c) {
      case '\t': {
        const std::uint32_t spaces = kWebTabWidth - column % kWebTabWidth;
        out.AppendN("        ", spaces);
        column += spaces;
        continue;
      }
      case '<':
        out.AppendN("&lt;", 4);
        break;
      case '>':
        out.AppendN("&gt;", 4);
        break;
      case '&':
        out.AppendN("&amp;", 5);
        break;
      case '"':
        out.AppendN("&quot;", 6);
        break;
      default:
        AppendCp437AsUtf8(out, c);
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

void AppendScriptText(TextString& out, const char* bytes, std::size_t n) {
  std::uint32_t column = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = bytes[i];
    switch (c) {
      case '\\':
      case '"':
        out.AppendChar('\\');
        out.AppendChar(c);
        ++column;
        break;
      case '<':
      case '>':
      case '&':
        out.AppendChar(c);
        ++column;
        break;
      default:  // the same character and tab expansion as in the pages
        AppendWebText(out, bytes + i, 1, column);
        break;
    }
  }
}

}  // namespace marlix
