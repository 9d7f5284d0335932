#include "engine/editions/classic/classic_entities.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <random>
#include <string>

namespace marlix {
namespace {

std::string Encode(unsigned char c) {
  char text[2] = {static_cast<char>(c), 0};
  return EncodeHtmlChar(TextString(text)).CStr();
}

#ifdef _WIN32
// The Unicode code point the system's code page 437 converter gives a byte.
unsigned CodePoint437(unsigned char c) {
  const char in[1] = {static_cast<char>(c)};
  wchar_t out[2] = {};
  if (::MultiByteToWideChar(437, MB_ERR_INVALID_CHARS, in, 1, out, 2) != 1) return 0;
  return static_cast<unsigned>(out[0]);
}
#else
// The Unicode code point the C library's code page 437 converter gives a byte.
unsigned CodePoint437(unsigned char c) {
  iconv_t converter = iconv_open("UTF-32LE", "CP437");
  if (converter == reinterpret_cast<iconv_t>(-1)) return 0;
  char in[1] = {static_cast<char>(c)};
  unsigned char out[4] = {};
  char* inPointer = in;
  char* outPointer = reinterpret_cast<char*>(out);
  std::size_t inLeft = 1;
  std::size_t outLeft = 4;
  std::size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1)) return 0;
  return out[0] | out[1] << 8 | out[2] << 16 | static_cast<unsigned>(out[3]) << 24;
}
#endif

TEST(EncodeHtmlChar, HtmlSpecialsAndBlanks) {
  EXPECT_EQ(Encode(' '), "&nbsp;");
  EXPECT_EQ(Encode('\t'), "&nbsp;&nbsp;&nbsp;&nbsp;");
  EXPECT_EQ(Encode('<'), "&lt;");
  EXPECT_EQ(Encode('>'), "&gt;");
  EXPECT_EQ(Encode('&'), "&amp;");
  EXPECT_EQ(Encode('"'), "&quot;");
  EXPECT_EQ(Encode('\''), "'");
  EXPECT_EQ(Encode('a'), "a");
  EXPECT_EQ(Encode('7'), "7");
  EXPECT_EQ(EncodeHtmlChar(TextString()), "");
  EXPECT_EQ(EncodeHtmlChar("xy"), "xy");  // only the first byte decides
  EXPECT_EQ(EncodeHtmlChar("<y"), "&lt;");
}

TEST(EncodeHtmlChar, ControlBytes) {
  for (unsigned char c : {6, 17, 18, 19, 20, 21, 28}) {
    EXPECT_EQ(Encode(c), "&#" + std::to_string(c) + ";");
  }
  EXPECT_EQ(Encode(0x1E), "&#8209;");  // a non-breaking hyphen, not the triangle
  for (unsigned char c : {1, 5, 7, 8, 10, 13, 16, 22, 27, 29, 31, 127}) {
    EXPECT_EQ(Encode(c), std::string(1, static_cast<char>(c))) << int(c);
  }
}

TEST(EncodeHtmlChar, UpperHalfRefersToTheUnicodeCharacterOrStaysRaw) {
  // Bytes of the upper half that are copied unchanged: accented letters and
  // currency signs, and a few Greek and maths bytes.
  auto staysRaw = [](unsigned c) {
    return (c >= 0x80 && c <= 0x9D) || (c >= 0x9F && c <= 0xA8) || (c >= 0xAA && c <= 0xAF) ||
           c == 0xE1 || c == 0xE6 || c == 0xF1 || c == 0xF6 || c == 0xF8 || c == 0xFA ||
           c == 0xFD || c == 0xFF;
  };
  int rows = 0;
  for (unsigned c = 0x80; c <= 0xFF; ++c) {
    if (staysRaw(c)) {
      EXPECT_EQ(Encode(static_cast<unsigned char>(c)), std::string(1, static_cast<char>(c))) << c;
      continue;
    }
    ++rows;
    unsigned expected = CodePoint437(static_cast<unsigned char>(c));
    ASSERT_NE(expected, 0u) << "no code page 437 converter for byte " << c;
    EXPECT_EQ(Encode(static_cast<unsigned char>(c)), "&#" + std::to_string(expected) + ";") << c;
  }
  EXPECT_EQ(rows, 74);
  EXPECT_EQ(Encode(0xE2), "&#915;");
  EXPECT_EQ(Encode(0xB0), "&#9617;");
  EXPECT_EQ(Encode(0xFE), "&#9632;");
}

TEST(AppendHtmlText, AgreesWithTheTableByteByByte) {
  // Texts of every length around the sizes taken at once, each byte value
  // at each position, after text already in the string; zero bytes dropped.
  std::mt19937 random(20261209);
  const std::string heavy = std::string("\t \"&<>~\x01\x1E\xB3\xE1\x7F", 13) + std::string(1, '\0');
  for (std::size_t length = 0; length <= 70; ++length) {
    for (int round = 0; round < 40; ++round) {
      std::string text(length, 'a');
      for (char& c : text) {
        c = round % 2 ? static_cast<char>(random() % 256) : heavy[random() % heavy.size()];
      }
      std::string expected = "kept";
      for (char c : text) {
        if (c != 0) expected += Encode(static_cast<unsigned char>(c));
      }
      TextString html("kept");
      AppendHtmlText(html, text.data(), text.size());
      ASSERT_EQ(std::string(html.CStr(), html.Length()), expected) << length << " " << round;
    }
  }
  // The longest text of all, a tab, in every byte.
  std::string tabs(100, '\t');
  TextString html;
  AppendHtmlText(html, tabs.data(), tabs.size());
  EXPECT_EQ(html.Length(), 100u * 24u);
}

}  // namespace
}  // namespace marlix
