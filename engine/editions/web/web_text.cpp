#include "engine/editions/web/web_text.h"

#include <cstdint>

#include "engine/format/code_page_437.h"

namespace marlix {

namespace {

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";  // U+FFFD

bool IsContinuation(unsigned char c) { return c >= 0x80 && c <= 0xBF; }

// Of the bytes[0, n) that start with a byte above 0x7F: the length of the
// well-formed UTF-8 sequence there (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF; valid set), or else of the longest
// start of one, at least 1, which stands for one U+FFFD as Unicode advises.
std::size_t Utf8Sequence(const unsigned char* bytes, std::size_t n, bool& valid) {
  valid = false;
  const unsigned char lead = bytes[0];
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 1;
  }
  if (n < 2 || bytes[1] < low || bytes[1] > high) return 1;
  for (std::size_t i = 2; i < length; ++i) {
    if (i >= n || !IsContinuation(bytes[i])) return i;
  }
  valid = true;
  return length;
}

}  // namespace

void AppendXmlText(TextString& out, const TextString& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.CStr());
  const std::size_t n = text.Length();
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = bytes[i];
    if (c >= 0x80) {
      bool valid;
      const std::size_t length = Utf8Sequence(bytes + i, n - i, valid);
      // U+FFFE and U+FFFF are no XML characters either.
      const bool noXmlCharacter =
          valid && length == 3 && c == 0xEF && bytes[i + 1] == 0xBF && bytes[i + 2] >= 0xBE;
      if (valid && !noXmlCharacter) {
        out.AppendBytes(reinterpret_cast<const char*>(bytes + i), length);
      } else {
        out.Append(kReplacementCharacter);
      }
      i += length;
      continue;
    }
    switch (c) {
      case '&':
        out.Append("&amp;");
        break;
      case '<':
        out.Append("&lt;");
        break;
      case '>':
        out.Append("&gt;");
        break;
      case '"':
        out.Append("&quot;");
        break;
      case '\'':
        out.Append("&apos;");
        break;
      default:
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          out.Append(kReplacementCharacter);
        } else {
          out.AppendChar(static_cast<char>(c));
        }
    }
    ++i;
  }
}

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
