#include "engine/editions/classic/classic_entities.h"

#include <cstdint>
#include <cstring>

namespace marlix {
namespace {

// One row per byte: the character a DOS screen shows, and the classic page's
// text (nullptr: the byte stands for itself). In the classic pages HTML's own
// special characters become named entities, blanks non-breaking spaces (a tab
// four of them), and the code page's graphics and symbols references to
// their Unicode characters; control bytes 6, 17 to 21 and 28 refer to those
// very code points, and 0x1E is a non-breaking hyphen. Accented letters and
// the other bytes go into a classic page as they are. A zero byte ends text
// and is never written.
struct Cp437Row {
  char16_t unicode;
  const char* html;
};

constexpr Cp437Row kCodePage437[256] = {
    // 0x00: NUL, then the graphics of the control bytes
    {0x0000, ""}, {0x263A, nullptr}, {0x263B, nullptr}, {0x2665, nullptr},
    {0x2666, nullptr}, {0x2663, nullptr}, {0x2660, "&#6;"}, {0x2022, nullptr},
    {0x25D8, nullptr}, {0x25CB, "&nbsp;&nbsp;&nbsp;&nbsp;"}, {0x25D9, nullptr}, {0x2642, nullptr},
    {0x2640, nullptr}, {0x266A, nullptr}, {0x266B, nullptr}, {0x263C, nullptr},
    {0x25BA, nullptr}, {0x25C4, "&#17;"}, {0x2195, "&#18;"}, {0x203C, "&#19;"},
    {0x00B6, "&#20;"}, {0x00A7, "&#21;"}, {0x25AC, nullptr}, {0x21A8, nullptr},
    {0x2191, nullptr}, {0x2193, nullptr}, {0x2192, nullptr}, {0x2190, nullptr},
    {0x221F, "&#28;"}, {0x2194, nullptr}, {0x25B2, "&#8209;"}, {0x25BC, nullptr},
    // 0x20: ASCII
    {0x0020, "&nbsp;"}, {0x0021, nullptr}, {0x0022, "&quot;"}, {0x0023, nullptr},
    {0x0024, nullptr}, {0x0025, nullptr}, {0x0026, "&amp;"}, {0x0027, nullptr},
    {0x0028, nullptr}, {0x0029, nullptr}, {0x002A, nullptr}, {0x002B, nullptr},
    {0x002C, nullptr}, {0x002D, nullptr}, {0x002E, nullptr}, {0x002F, nullptr},
    {0x0030, nullptr}, {0x0031, nullptr}, {0x0032, nullptr}, {0x0033, nullptr},
    {0x0034, nullptr}, {0x0035, nullptr}, {0x0036, nullptr}, {0x0037, nullptr},
    {0x0038, nullptr}, {0x0039, nullptr}, {0x003A, nullptr}, {0x003B, nullptr},
    {0x003C, "&lt;"}, {0x003D, nullptr}, {0x003E, "&gt;"}, {0x003F, nullptr},
    {0x0040, nullptr}, {0x0041, nullptr}, {0x0042, nullptr}, {0x0043, nullptr},
    {0x0044, nullptr}, {0x0045, nullptr}, {0x0046, nullptr}, {0x0047, nullptr},
    {0x0048, nullptr}, {0x0049, nullptr}, {0x004A, nullptr}, {0x004B, nullptr},
    {0x004C, nullptr}, {0x004D, nullptr}, {0x004E, nullptr}, {0x004F, nullptr},
    {0x0050, nullptr}, {0x0051, nullptr}, {0x0052, nullptr}, {0x0053, nullptr},
    {0x0054, nullptr}, {0x0055, nullptr}, {0x0056, nullptr}, {0x0057, nullptr},
    {0x0058, nullptr}, {0x0059, nullptr}, {0x005A, nullptr}, {0x005B, nullptr},
    {0x005C, nullptr}, {0x005D, nullptr}, {0x005E, nullptr}, {0x005F, nullptr},
    {0x0060, nullptr}, {0x0061, nullptr}, {0x0062, nullptr}, {0x0063, nullptr},
    {0x0064, nullptr}, {0x0065, nullptr}, {0x0066, nullptr}, {0x0067, nullptr},
    {0x0068, nullptr}, {0x0069, nullptr}, {0x006A, nullptr}, {0x006B, nullptr},
    {0x006C, nullptr}, {0x006D, nullptr}, {0x006E, nullptr}, {0x006F, nullptr},
    {0x0070, nullptr}, {0x0071, nullptr}, {0x0072, nullptr}, {0x0073, nullptr},
    {0x0074, nullptr}, {0x0075, nullptr}, {0x0076, nullptr}, {0x0077, nullptr},
    {0x0078, nullptr}, {0x0079, nullptr}, {0x007A, nullptr}, {0x007B, nullptr},
    {0x007C, nullptr}, {0x007D, nullptr}, {0x007E, nullptr}, {0x2302, nullptr},
    {0x00C7, nullptr}, {0x00FC, nullptr}, {0x00E9, nullptr}, {0x00E2, nullptr},
    {0x00E4, nullptr}, {0x00E0, nullptr}, {0x00E5, nullptr}, {0x00E7, nullptr},
    {0x00EA, nullptr}, {0x00EB, nullptr}, {0x00E8, nullptr}, {0x00EF, nullptr},
    {0x00EE, nullptr}, {0x00EC, nullptr}, {0x00C4, nullptr}, {0x00C5, nullptr},
    // 0x90: accented letters and currency signs
    {0x00C9, nullptr}, {0x00E6, nullptr}, {0x00C6, nullptr}, {0x00F4, nullptr},
    {0x00F6, nullptr}, {0x00F2, nullptr}, {0x00FB, nullptr}, {0x00F9, nullptr},
    {0x00FF, nullptr}, {0x00D6, nullptr}, {0x00DC, nullptr}, {0x00A2, nullptr},
    {0x00A3, nullptr}, {0x00A5, nullptr}, {0x20A7, "&#8359;"}, {0x0192, nullptr},
    {0x00E1, nullptr}, {0x00ED, nullptr}, {0x00F3, nullptr}, {0x00FA, nullptr},
    {0x00F1, nullptr}, {0x00D1, nullptr}, {0x00AA, nullptr}, {0x00BA, nullptr},
    {0x00BF, nullptr}, {0x2310, "&#8976;"}, {0x00AC, nullptr}, {0x00BD, nullptr},
    {0x00BC, nullptr}, {0x00A1, nullptr}, {0x00AB, nullptr}, {0x00BB, nullptr},
    // 0xB0: shades and box drawing
    {0x2591, "&#9617;"}, {0x2592, "&#9618;"}, {0x2593, "&#9619;"}, {0x2502, "&#9474;"},
    {0x2524, "&#9508;"}, {0x2561, "&#9569;"}, {0x2562, "&#9570;"}, {0x2556, "&#9558;"},
    {0x2555, "&#9557;"}, {0x2563, "&#9571;"}, {0x2551, "&#9553;"}, {0x2557, "&#9559;"},
    {0x255D, "&#9565;"}, {0x255C, "&#9564;"}, {0x255B, "&#9563;"}, {0x2510, "&#9488;"},
    {0x2514, "&#9492;"}, {0x2534, "&#9524;"}, {0x252C, "&#9516;"}, {0x251C, "&#9500;"},
    {0x2500, "&#9472;"}, {0x253C, "&#9532;"}, {0x255E, "&#9566;"}, {0x255F, "&#9567;"},
    {0x255A, "&#9562;"}, {0x2554, "&#9556;"}, {0x2569, "&#9577;"}, {0x2566, "&#9574;"},
    {0x2560, "&#9568;"}, {0x2550, "&#9552;"}, {0x256C, "&#9580;"}, {0x2567, "&#9575;"},
    // 0xD0: box drawing and blocks
    {0x2568, "&#9576;"}, {0x2564, "&#9572;"}, {0x2565, "&#9573;"}, {0x2559, "&#9561;"},
    {0x2558, "&#9560;"}, {0x2552, "&#9554;"}, {0x2553, "&#9555;"}, {0x256B, "&#9579;"},
    {0x256A, "&#9578;"}, {0x2518, "&#9496;"}, {0x250C, "&#9484;"}, {0x2588, "&#9608;"},
    {0x2584, "&#9604;"}, {0x258C, "&#9612;"}, {0x2590, "&#9616;"}, {0x2580, "&#9600;"},
    // 0xE0: Greek letters and mathematics
    {0x03B1, "&#945;"}, {0x00DF, nullptr}, {0x0393, "&#915;"}, {0x03C0, "&#960;"},
    {0x03A3, "&#931;"}, {0x03C3, "&#963;"}, {0x00B5, nullptr}, {0x03C4, "&#964;"},
    {0x03A6, "&#934;"}, {0x0398, "&#920;"}, {0x03A9, "&#937;"}, {0x03B4, "&#948;"},
    {0x221E, "&#8734;"}, {0x03C6, "&#966;"}, {0x03B5, "&#949;"}, {0x2229, "&#8745;"},
    {0x2261, "&#8801;"}, {0x00B1, nullptr}, {0x2265, "&#8805;"}, {0x2264, "&#8804;"},
    {0x2320, "&#8992;"}, {0x2321, "&#8993;"}, {0x00F7, nullptr}, {0x2248, "&#8776;"},
    {0x00B0, nullptr}, {0x2219, "&#8729;"}, {0x00B7, nullptr}, {0x221A, "&#8730;"},
    {0x207F, "&#8319;"}, {0x00B2, nullptr}, {0x25A0, "&#9632;"}, {0x00A0, nullptr},
};

// Each byte's classic text laid out in a fixed slot, derived from the rows
// above, so that converting a byte is one copy of a slot whatever it holds:
// a byte without a row stands for itself. Only a tab's text is longer than
// a slot.
constexpr std::size_t kSlotBytes = 8;
constexpr std::size_t kLongestHtml = 24;  // a tab: four non-breaking spaces
struct HtmlSlots {
  char text[256][kSlotBytes];
  std::uint8_t length[256];
};
constexpr HtmlSlots kHtmlSlots = [] {
  HtmlSlots slots{};
  for (int c = 0; c < 256; ++c) {
    const char* html = kCodePage437[c].html;
    if (html == nullptr) {
      slots.text[c][0] = static_cast<char>(c);
      slots.length[c] = 1;
      continue;
    }
    std::size_t length = 0;
    while (html[length] != 0) ++length;
    for (std::size_t i = 0; i < length && i < kSlotBytes; ++i) slots.text[c][i] = html[i];
    slots.length[c] = static_cast<std::uint8_t>(length);
  }
  return slots;
}();
static_assert(kHtmlSlots.length[0x09] == kLongestHtml, "the tab's text is the longest");

}  // namespace

char32_t Cp437CodePoint(unsigned char c) { return kCodePage437[c].unicode; }

void AppendCp437Utf8(TextString& out, unsigned char c) {
  const char16_t point = kCodePage437[c].unicode;
  char utf8[3];
  std::size_t length;
  if (point == 0) {
    return;
  } else if (point < 0x80) {
    utf8[0] = static_cast<char>(point);
    length = 1;
  } else if (point < 0x800) {
    utf8[0] = static_cast<char>(0xC0 | (point >> 6));
    utf8[1] = static_cast<char>(0x80 | (point & 0x3F));
    length = 2;
  } else {
    utf8[0] = static_cast<char>(0xE0 | (point >> 12));
    utf8[1] = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    utf8[2] = static_cast<char>(0x80 | (point & 0x3F));
    length = 3;
  }
  out.AppendBytes(utf8, length);
}

const char* HtmlEntityFor(unsigned char c) { return c == 0 ? nullptr : kCodePage437[c].html; }

TextString EncodeHtmlChar(const TextString& character) {
  if (character.IsEmpty()) return TextString();
  const char* entity = HtmlEntityFor(static_cast<unsigned char>(character[0]));
  return entity ? TextString(entity) : character;
}

void AppendHtmlText(TextString& out, const char* bytes, std::size_t n) {
  // Room for the longest text of every byte, and for a whole slot after
  // the last; then each byte's slot is copied and as much of it kept as its
  // text is long. Room past what a size_t holds (from 179 million bytes on
  // in 32 bits) is asked as the largest size, which the string refuses.
  constexpr std::size_t kMostBytes = (SIZE_MAX - kSlotBytes) / kLongestHtml;
  char* const start = out.AppendSpace(n <= kMostBytes ? n * kLongestHtml + kSlotBytes : SIZE_MAX);
  if (start == nullptr) return;
  char* to = start;
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = kHtmlSlots.length[c];
    if (length <= kSlotBytes) {
      std::memcpy(to, kHtmlSlots.text[c], kSlotBytes);
    } else {
      std::memcpy(to, kCodePage437[c].html, length);
    }
    to += length;
  }
  out.CommitAppended(static_cast<std::size_t>(to - start));
}

}  // namespace marlix
