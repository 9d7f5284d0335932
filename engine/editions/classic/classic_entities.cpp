#include "engine/editions/classic/classic_entities.h"

#include <cstdint>
#include <cstring>

namespace marlix {
namespace {

// In the classic pages HTML's own special characters become named entities,
// blanks non-breaking spaces (a tab four of them), and the code page's
// graphics and symbols references to their Unicode characters; control bytes 6, 17 to 21 and 28 refer to those
// very code points, and 0x1E is a non-breaking hyphen. Accented letters and
// the other bytes go into a classic page as they are. A zero byte ends text
// and is never written.
struct EntityRow {
  unsigned char byte;
  const char* html;
};

// The bytes whose classic text is not the byte itself.
constexpr EntityRow kEntities[] = {
    {0x00, ""}, {0x06, "&#6;"}, {0x09, "&nbsp;&nbsp;&nbsp;&nbsp;"}, {0x11, "&#17;"},
    {0x12, "&#18;"}, {0x13, "&#19;"}, {0x14, "&#20;"}, {0x15, "&#21;"}, {0x1C, "&#28;"},
    {0x1E, "&#8209;"}, {0x20, "&nbsp;"}, {0x22, "&quot;"}, {0x26, "&amp;"}, {0x3C, "&lt;"},
    {0x3E, "&gt;"}, {0x9E, "&#8359;"}, {0xA9, "&#8976;"}, {0xB0, "&#9617;"}, {0xB1, "&#9618;"},
    {0xB2, "&#9619;"}, {0xB3, "&#9474;"}, {0xB4, "&#9508;"}, {0xB5, "&#9569;"}, {0xB6, "&#9570;"},
    {0xB7, "&#9558;"}, {0xB8, "&#9557;"}, {0xB9, "&#9571;"}, {0xBA, "&#9553;"}, {0xBB, "&#9559;"},
    {0xBC, "&#9565;"}, {0xBD, "&#9564;"}, {0xBE, "&#9563;"}, {0xBF, "&#9488;"}, {0xC0, "&#9492;"},
    {0xC1, "&#9524;"}, {0xC2, "&#9516;"}, {0xC3, "&#9500;"}, {0xC4, "&#9472;"}, {0xC5, "&#9532;"},
    {0xC6, "&#9566;"}, {0xC7, "&#9567;"}, {0xC8, "&#9562;"}, {0xC9, "&#9556;"}, {0xCA, "&#9577;"},
    {0xCB, "&#9574;"}, {0xCC, "&#9568;"}, {0xCD, "&#9552;"}, {0xCE, "&#9580;"}, {0xCF, "&#9575;"},
    {0xD0, "&#9576;"}, {0xD1, "&#9572;"}, {0xD2, "&#9573;"}, {0xD3, "&#9561;"}, {0xD4, "&#9560;"},
    {0xD5, "&#9554;"}, {0xD6, "&#9555;"}, {0xD7, "&#9579;"}, {0xD8, "&#9578;"}, {0xD9, "&#9496;"},
    {0xDA, "&#9484;"}, {0xDB, "&#9608;"}, {0xDC, "&#9604;"}, {0xDD, "&#9612;"}, {0xDE, "&#9616;"},
    {0xDF, "&#9600;"}, {0xE0, "&#945;"}, {0xE2, "&#915;"}, {0xE3, "&#960;"}, {0xE4, "&#931;"},
    {0xE5, "&#963;"}, {0xE7, "&#964;"}, {0xE8, "&#934;"}, {0xE9, "&#920;"}, {0xEA, "&#937;"},
    {0xEB, "&#948;"}, {0xEC, "&#8734;"}, {0xED, "&#966;"}, {0xEE, "&#949;"}, {0xEF, "&#8745;"},
    {0xF0, "&#8801;"}, {0xF2, "&#8805;"}, {0xF3, "&#8804;"}, {0xF4, "&#8992;"}, {0xF5, "&#8993;"},
    {0xF7, "&#8776;"}, {0xF9, "&#8729;"}, {0xFB, "&#8730;"}, {0xFC, "&#8319;"}, {0xFE, "&#9632;"},
};

// The text of each byte, nullptr where the byte stands for itself.
struct EntityColumn {
  const char* html[256];
};
constexpr EntityColumn kHtml = [] {
  EntityColumn column{};
  for (const EntityRow& row : kEntities) column.html[row.byte] = row.html;
  return column;
}();

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
    const char* html = kHtml.html[c];
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

const char* HtmlEntityFor(unsigned char c) { return c == 0 ? nullptr : kHtml.html[c]; }

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
      std::memcpy(to, kHtml.html[c], length);
    }
    to += length;
  }
  out.CommitAppended(static_cast<std::size_t>(to - start));
}

}  // namespace marlix
