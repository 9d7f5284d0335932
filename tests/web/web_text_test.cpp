// Code page 437 to UTF-8, escaping and tab expansion of the web edition.
#include <gtest/gtest.h>
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <string>

#include "engine/editions/web/web_text.h"
#include "engine/format/code_page_437.h"

namespace marlix {
namespace {

std::string Utf8Of(unsigned char c) {
  TextString utf8;
  AppendCp437Utf8(utf8, c);
  return utf8.CStr();
}

#ifdef _WIN32
// The system's own code page 437 converter, as an independent table.
std::string IconvUtf8(unsigned char c) {
  const char in[1] = {static_cast<char>(c)};
  wchar_t wide[2] = {};
  if (::MultiByteToWideChar(437, MB_ERR_INVALID_CHARS, in, 1, wide, 2) != 1) {
    return "(not converted)";
  }
  char out[8] = {};
  int length = ::WideCharToMultiByte(CP_UTF8, 0, wide, 1, out, sizeof out, nullptr, nullptr);
  return std::string(out, length > 0 ? static_cast<std::size_t>(length) : 0);
}
#else
// The C library's own code page 437 converter, as an independent table.
std::string IconvUtf8(unsigned char c) {
  iconv_t converter = iconv_open("UTF-8", "CP437");
  if (converter == reinterpret_cast<iconv_t>(-1)) return "(no converter)";
  char in[1] = {static_cast<char>(c)};
  char out[8] = {};
  char* inPointer = in;
  char* outPointer = out;
  std::size_t inLeft = 1;
  std::size_t outLeft = sizeof out;
  std::size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1)) return "(not converted)";
  return std::string(out, sizeof out - outLeft);
}
#endif

TEST(Cp437Unicode, PrintableBytesMatchTheCLibrary) {
  for (int c = 0x20; c < 0x100; ++c) {
    if (c == 0x7F) continue;
    EXPECT_EQ(Utf8Of(static_cast<unsigned char>(c)), IconvUtf8(static_cast<unsigned char>(c)))
        << "byte " << c;
  }
}

TEST(Cp437Unicode, ControlBytesShowTheirScreenGraphics) {
  // What a DOS screen shows for bytes 0x01 to 0x1F, written out by hand (the
  // C library maps these bytes to the controls themselves).
  const std::string graphics[31] = {
      "☺", "☻", "♥", "♦", "♣", "♠", "•", "◘", "○", "◙", "♂", "♀", "♪", "♫", "☼", "►",
      "◄", "↕", "‼", "¶", "§", "▬", "↨", "↑", "↓", "→", "←", "∟", "↔", "▲", "▼"};
  for (int c = 1; c < 0x20; ++c) {
    EXPECT_EQ(Utf8Of(static_cast<unsigned char>(c)), graphics[c - 1]) << "byte " << c;
  }
  EXPECT_EQ(Utf8Of(0x7F), "⌂");
  EXPECT_EQ(Utf8Of(0x00), "");
  EXPECT_EQ(Cp437CodePoint(0x7F), U'\u2302');
}

TEST(WebText, EscapesAndConvertsTitlesAndNames) {
  EXPECT_EQ(std::string(WebText("<a & \"b\"> it's").CStr()),
            "&lt;a &amp; &quot;b&quot;&gt; it's");
  // "Café 25°C ±1 µs x²" in code page 437.
  EXPECT_EQ(std::string(WebText("Caf\x82 25\xF8" "C \xF1" "1 \xE6s x\xFD").CStr()),
            "Café 25°C ±1 µs x²");
  EXPECT_EQ(std::string(WebText("\xC9\xCD\xBB").CStr()), "╔═╗");
  EXPECT_EQ(std::string(WebText("").CStr()), "");
}

TEST(WebText, TabsStopAtEveryEighthColumn) {
  EXPECT_EQ(std::string(WebText("a\tb").CStr()), "a       b");
  EXPECT_EQ(std::string(WebText("\t|").CStr()), "        |");
  EXPECT_EQ(std::string(WebText("1234567\t|").CStr()), "1234567 |");
  EXPECT_EQ(std::string(WebText("12345678\t|").CStr()), "12345678        |");
  // A non-ASCII byte takes one column, like any other character.
  EXPECT_EQ(std::string(WebText("\xC4\t|").CStr()), "─       |");

  // A line written in pieces keeps its columns across them.
  TextString out;
  std::uint32_t column = 0;
  AppendWebText(out, "ab", 2, column);
  AppendWebText(out, "c\td", 3, column);
  EXPECT_EQ(std::string(out.CStr()), "abc     d");
  EXPECT_EQ(column, 9u);
}

}  // namespace
}  // namespace marlix
