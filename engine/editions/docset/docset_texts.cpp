#include "engine/editions/docset/docset_texts.h"

#include <cstdint>
#include <cstring>

#include "engine/format/page_names.h"
#include "support/file_names.h"
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

namespace {

void AppendPlistString(TextString& plist, const char* key, const TextString& value) {
  plist.Append("\t<key>");
  plist.Append(key);
  plist.Append("</key>\n\t<string>");
  AppendXmlText(plist, value);
  plist.Append("</string>\n");
}

}  // namespace

TextString DocsetFolderName(const TextString& name) { return WithSuffix(name, kDocsetSuffix); }

TextString DocsetBundleName(const TextString& name) {
  if (!EndsInSuffix(name, kDocsetSuffix)) return name;
  return name.Left(name.Length() - static_cast<std::uint32_t>(sizeof kDocsetSuffix - 1));
}

TextString DocsetInfoPlist(const TextString& name) {
  const TextString bundle = DocsetBundleName(name);
  TextString plist(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<plist version=\"1.0\">\n"
      "<dict>\n");
  AppendPlistString(plist, "CFBundleIdentifier", bundle);
  AppendPlistString(plist, "CFBundleName", bundle);
  AppendPlistString(plist, "DocSetPlatformFamily", kDocsetKeyword);
  plist.Append("\t<key>isDashDocset</key>\n\t<true/>\n");
  AppendPlistString(plist, "dashIndexFilePath", kIndexPageName);
  plist.Append("</dict>\n</plist>\n");
  return plist;
}

bool IsBlankDocsetName(const char* bytes, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (bytes[i] != ' ' && bytes[i] != '\t') return false;
  }
  return true;
}

void AppendDocsetName(TextString& out, const char* bytes, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\t') {
      out.AppendChar(' ');
    } else {
      AppendCp437Utf8(out, c);
    }
  }
}

void AppendPercentEncoded(TextString& out, const char* bytes, std::size_t n) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                            (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out.AppendChar(static_cast<char>(c));
    } else {
      const char escaped[3] = {'%', kHexDigits[c >> 4], kHexDigits[c & 0x0F]};
      out.AppendBytes(escaped, 3);
    }
  }
}

void AppendDocsetAnchor(TextString& page, const char* utf8Name, std::size_t n) {
  page.Append("<a name=\"//apple_ref/cpp/");
  page.Append(kDocsetEntryType);
  page.AppendChar('/');
  AppendPercentEncoded(page, utf8Name, n);
  page.Append("\" class=\"dashAnchor\"></a>");
}

void AddDocsetAnchor(TextString& anchors, const char* name, std::size_t n) {
  if (IsBlankDocsetName(name, n)) return;
  TextString utf8;
  AppendDocsetName(utf8, name, n);
  TextString anchor;
  AppendDocsetAnchor(anchor, utf8.CStr(), utf8.Length());
  // Neither holds a zero byte; an anchor ends in the quote after its name.
  if (std::strstr(anchors.CStr(), anchor.CStr()) != nullptr) return;
  anchors += anchor;
  anchors.Append("\r\n");
}

}  // namespace marlix
