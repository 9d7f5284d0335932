// The docset's names and fixed texts: the folder and bundle names, an
// Info.plist that stays well-formed whatever bytes NAME holds, names in UTF-8,
// anchors that carry any name intact, and the icons built into the program.
#include "engine/editions/docset/docset_texts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/editions/docset/docset_icons.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

std::string Text(const TextString& text) { return std::string(text.CStr(), text.Length()); }

// The text between the first "<key>KEY</key>\n\t<string>" and "</string>".
std::string PlistString(const std::string& plist, const std::string& key) {
  const std::string opening = "<key>" + key + "</key>\n\t<string>";
  const std::size_t start = plist.find(opening);
  if (start == std::string::npos) return "(missing)";
  const std::size_t from = start + opening.size();
  return plist.substr(from, plist.find("</string>", from) - from);
}

TEST(DocsetTexts, FolderAndBundleNames) {
  struct Case {
    const char* name;
    const char* folder;
    const char* bundle;
  };
  for (const Case& c : {
           Case{"Marlix", "Marlix.docset", "Marlix"},
           Case{"Marlix.docset", "Marlix.docset", "Marlix"},
           Case{"Marlix 2.10", "Marlix 2.10.docset", "Marlix 2.10"},
           Case{"a.DOCSET", "a.DOCSET.docset", "a.DOCSET"},  // the suffix as the browsers spell it
           Case{".docset", ".docset.docset", ".docset"},     // a name of its own, not a bare suffix
           Case{"x.docset.docset", "x.docset.docset", "x.docset"},
       }) {
    EXPECT_EQ(Text(DocsetFolderName(c.name)), c.folder) << c.name;
    EXPECT_EQ(Text(DocsetBundleName(c.name)), c.bundle) << c.name;
  }
}

TEST(DocsetTexts, InfoPlistCarriesTheNameEscaped) {
  const std::string plist = Text(DocsetInfoPlist("Marlix 2.10"));
  EXPECT_EQ(plist.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC "
                        "\"-//Apple//DTD PLIST 1.0//EN\" "
                        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n",
                        0),
            0u);
  EXPECT_EQ(PlistString(plist, "CFBundleIdentifier"), "marlix.Marlix-2-10");
  EXPECT_EQ(PlistString(plist, "CFBundleName"), "Marlix 2.10");
  EXPECT_EQ(PlistString(plist, "DocSetPlatformFamily"), "marlix");
  EXPECT_EQ(PlistString(plist, "DashDocSetFamily"), "dashtoc");
  EXPECT_EQ(PlistString(plist, "dashIndexFilePath"), "Index.htm");
  EXPECT_NE(plist.find("<key>isDashDocset</key>\n\t<true/>\n"), std::string::npos);

  const std::string kReplacement = "\xEF\xBF\xBD";
  struct Case {
    std::string name;
    std::string shown;
  };
  for (const Case& c : {
           Case{"A&B <\"x\"> 'y'", "A&amp;B &lt;&quot;x&quot;&gt; &apos;y&apos;"},
           Case{"</string><key>", "&lt;/string&gt;&lt;key&gt;"},
           Case{"Caf\xC3\xA9 \xF0\x9F\x93\x96", "Caf\xC3\xA9 \xF0\x9F\x93\x96"},  // UTF-8 stays
           Case{"tab\there", "tab\there"},
           // Bytes that are no UTF-8, each maximal broken piece as one U+FFFD.
           Case{"caf\xE9", "caf" + kReplacement},
           Case{"\xC0\xAF", kReplacement + kReplacement},  // an overlong "/"
           Case{"\xED\xA0\x80!", kReplacement + kReplacement + kReplacement + "!"},  // a surrogate
           Case{"\xE2\x82", kReplacement},                                           // cut short
           Case{"\xF4\x90\x80\x80", kReplacement + kReplacement + kReplacement + kReplacement},
           // Characters XML cannot hold at all.
           Case{"bell\x07", "bell" + kReplacement},
           Case{"\xEF\xBF\xBE\xEF\xBF\xBF", kReplacement + kReplacement},
       }) {
    const std::string escaped = Text(DocsetInfoPlist(TextString(c.name.c_str())));
    EXPECT_EQ(PlistString(escaped, "CFBundleName"), c.shown) << c.name;
  }
}

TEST(DocsetTexts, TheBundleIdentifierKeepsOnlyLettersAndDigitsAndIsNeverBare) {
  struct Case {
    const char* name;
    const char* identifier;
  };
  for (const Case& c : {
           Case{"Marlix", "marlix.Marlix"},
           Case{"A&B <x> \"q\"", "marlix.A-B-x-q"},  // runs of others as one "-", none at the ends
           Case{"..Ref  2.10--beta..", "marlix.Ref-2-10-beta"},
           Case{"Caf\xC3\xA9 \xCE\xB2 2", "marlix.Caf-2"},  // letters beyond ASCII are no letters here
           Case{".docset", "marlix.docset"},
           Case{"\xCE\xB2 #%/", "marlix.docset"},  // nothing left
           Case{"", "marlix.docset"},
       }) {
    EXPECT_EQ(Text(DocsetBundleIdentifier(c.name)), c.identifier) << c.name;
  }
}

TEST(DocsetTexts, NamesInUtf8AndBlankNames) {
  TextString name;
  const char cp437[] = "Caf\x82\tcr\x8Ame \xE1\x01";
  AppendDocsetName(name, cp437, sizeof cp437 - 1);
  EXPECT_EQ(Text(name), "Caf\xC3\xA9 cr\xC3\xA8me \xC3\x9F\xE2\x98\xBA");
  for (const char* blank : {"", " ", "  \t "}) {
    EXPECT_TRUE(IsBlankDocsetName(blank, std::string(blank).size())) << "'" << blank << "'";
  }
  EXPECT_FALSE(IsBlankDocsetName(" a ", 3));
  EXPECT_FALSE(IsBlankDocsetName("\xFF", 1));  // a non-breaking blank shows as one, yet is a name
}

// Decodes %XX; "(bad)" when a "%" is not followed by two hex digits.
std::string PercentDecoded(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      bytes += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return "(bad)";
    const std::string hex = text.substr(i + 1, 2);
    if (hex.find_first_not_of("0123456789ABCDEF") != std::string::npos) {
      return "(bad)";
    }
    bytes += static_cast<char>(std::stoi(hex, nullptr, 16));
    i += 2;
  }
  return bytes;
}

TEST(DocsetTexts, PercentEncodingKeepsEveryByteAndOnlySafeCharacters) {
  std::string every;
  for (int byte = 1; byte < 256; ++byte) every += static_cast<char>(byte);
  TextString encoded;
  AppendPercentEncoded(encoded, every.data(), every.size());
  const std::string text = Text(encoded);
  EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                   "0123456789-._~%"),
            std::string::npos);
  EXPECT_EQ(PercentDecoded(text), every);
  // 66 bytes stay as they are; the other 189 take three characters each.
  EXPECT_EQ(text.size(), 66u + 3u * 189u);

  TextString anchor;
  const std::string name = "PRINT USING/\"50%\"#1";
  AppendDocsetAnchor(anchor, name.data(), name.size());
  EXPECT_EQ(Text(anchor),
            "<a name=\"//apple_ref/cpp/Entry/PRINT%20USING%2F%2250%25%22%231\" "
            "class=\"dashAnchor\"></a>");
  // The index row's fragment is the anchor's name, byte for byte.
  TextString fragment;
  AppendDocsetAnchorName(fragment, name.data(), name.size());
  std::string quoted = Text(fragment);
  quoted.insert(quoted.begin(), '"');
  quoted.push_back('"');
  EXPECT_NE(Text(anchor).find(quoted), std::string::npos);

  // A page's anchors: its names in UTF-8, each once, blank names left out.
  TextString anchors;
  for (const char* name : {"Caf\x82", "  \t", "PRINT USING", "Caf\x82", "PRINT", "PRINT USING"}) {
    AddDocsetAnchor(anchors, name, std::string(name).size());
  }
  EXPECT_EQ(Text(anchors),
            "<a name=\"//apple_ref/cpp/Entry/Caf%C3%A9\" class=\"dashAnchor\"></a>\r\n"
            "<a name=\"//apple_ref/cpp/Entry/PRINT%20USING\" class=\"dashAnchor\"></a>\r\n"
            "<a name=\"//apple_ref/cpp/Entry/PRINT\" class=\"dashAnchor\"></a>\r\n");
}

// The icons in the program are the icon files, byte for byte, in the sizes
// their names promise.
TEST(DocsetTexts, IconsAreTheProgramsIconFiles) {
  struct Case {
    const char* icon;
    std::size_t size;
    const char* file;
    std::uint32_t pixels;
  };
  for (const Case& c : {Case{kDocsetIcon, kDocsetIconSize, "marlix2html-16.png", 16},
                        Case{kDocsetIcon2x, kDocsetIcon2xSize, "marlix2html-32.png", 32}}) {
    const std::string bytes(c.icon, c.size);
    EXPECT_EQ(bytes, testing::ReadFileBytes(testing::JoinedPath(MARLIX_ICONS, c.file))) << c.file;
    ASSERT_GE(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    const auto big = [&](std::size_t at) {
      return (std::uint32_t(std::uint8_t(bytes[at])) << 24) |
             (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
             (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint8_t(bytes[at + 3]);
    };
    EXPECT_EQ(big(16), c.pixels);
    EXPECT_EQ(big(20), c.pixels);
  }
}

}  // namespace
}  // namespace marlix
