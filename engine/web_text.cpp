#include "engine/web_text.h"

#include <array>
#include <cstring>

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

// The most bytes one source byte can become: a tab at a tab stop.
constexpr std::size_t kMaxBytesPerByte = kWebTabWidth;

void AppendWebText(TextString& out, const char* bytes, std::size_t n, std::uint32_t& column) {
  if (n == 0) return;
  // Written in place: room for the longest result, then the bytes used. A
  // longest result past what a size_t holds (from 2^29 bytes on in 32 bits)
  // is asked as the largest size, which the string refuses and counts.
  constexpr std::size_t kMostBytes = SIZE_MAX / kMaxBytesPerByte;
  char* const start = out.AppendSpace(n <= kMostBytes ? n * kMaxBytesPerByte : SIZE_MAX);
  if (start == nullptr) return;
  char* to = start;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (kPlain[c]) {
      *to++ = static_cast<char>(c);
      ++column;
      continue;
    }
    switch (c) {
      case '\t': {
        const std::uint32_t spaces = kWebTabWidth - column % kWebTabWidth;
        std::memset(to, ' ', spaces);
        to += spaces;
        column += spaces;
        continue;
      }
      case '<':
        std::memcpy(to, "&lt;", 4);
        to += 4;
        break;
      case '>':
        std::memcpy(to, "&gt;", 4);
        to += 4;
        break;
      case '&':
        std::memcpy(to, "&amp;", 5);
        to += 5;
        break;
      case '"':
        std::memcpy(to, "&quot;", 6);
        to += 6;
        break;
      default: {
        const Utf8Bytes& utf8 = Cp437Utf8(c);
        std::memcpy(to, utf8.bytes, sizeof utf8.bytes);  // length 0 for a zero byte
        to += utf8.length;
        break;
      }
    }
    ++column;
  }
  out.CommitAppended(static_cast<std::size_t>(to - start));
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
