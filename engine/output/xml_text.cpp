#include "engine/output/xml_text.h"

#include <cstdint>

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

}  // namespace marlix
