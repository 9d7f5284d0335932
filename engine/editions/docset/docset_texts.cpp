#include "engine/editions/docset/docset_texts.h"

#include <cstdint>
#include <cstring>

#include "engine/format/page_names.h"
#include "support/file_names.h"
#include "engine/format/code_page_437.h"
#include "engine/output/xml_text.h"

namespace marlix {

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

TextString DocsetBundleIdentifier(const TextString& name) {
  TextString identifier("marlix.");
  const std::uint32_t prefix = identifier.Length();
  bool gap = false;  // other bytes since the last letter or digit
  for (std::uint32_t i = 0; i < name.Length(); ++i) {
    const char c = name[i];
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      if (gap && identifier.Length() > prefix) identifier.AppendChar('-');
      identifier.AppendChar(c);
      gap = false;
    } else {
      gap = true;
    }
  }
  if (identifier.Length() == prefix) identifier.Append("docset");
  return identifier;
}

TextString DocsetInfoPlist(const TextString& name) {
  TextString plist(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n"
      "<dict>\n");
  AppendPlistString(plist, "CFBundleIdentifier", DocsetBundleIdentifier(name));
  AppendPlistString(plist, "CFBundleName", name);
  AppendPlistString(plist, "DocSetPlatformFamily", kDocsetKeyword);
  AppendPlistString(plist, "DashDocSetFamily", kDocsetTocFamily);
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

void AppendDocsetAnchorName(TextString& out, const char* utf8Name, std::size_t n) {
  out.Append("//apple_ref/cpp/");
  out.Append(kDocsetEntryType);
  out.AppendChar('/');
  AppendPercentEncoded(out, utf8Name, n);
}

void AppendDocsetAnchor(TextString& page, const char* utf8Name, std::size_t n) {
  page.Append("<a name=\"");
  AppendDocsetAnchorName(page, utf8Name, n);
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
