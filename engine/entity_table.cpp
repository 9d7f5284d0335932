#include "engine/entity_table.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace marlix {
namespace {

struct EntityRow {
  unsigned char byte;
  const char* text;
};

// Every byte that does not stand for itself in a page. HTML's own special
// characters become named entities, blanks become non-breaking spaces (a tab
// four of them), and the code page's graphics and symbols become references
// to their Unicode characters. Control bytes 6, 17 to 21 and 28 refer to
// those very code points; 0x1E is a non-breaking hyphen.
constexpr EntityRow kEntityRows[] = {
    {0x06, "&#6;"},    {0x09, "&nbsp;&nbsp;&nbsp;&nbsp;"},
    {0x11, "&#17;"},   {0x12, "&#18;"},
    {0x13, "&#19;"},   {0x14, "&#20;"},
    {0x15, "&#21;"},   {0x1C, "&#28;"},
    {0x1E, "&#8209;"}, {0x20, "&nbsp;"},
    {0x22, "&quot;"},  {0x26, "&amp;"},
    {0x3C, "&lt;"},    {0x3E, "&gt;"},
    {0x9E, "&#8359;"}, {0xA9, "&#8976;"},
    {0xB0, "&#9617;"}, {0xB1, "&#9618;"},
    {0xB2, "&#9619;"}, {0xB3, "&#9474;"},
    {0xB4, "&#9508;"}, {0xB5, "&#9569;"},
    {0xB6, "&#9570;"}, {0xB7, "&#9558;"},
    {0xB8, "&#9557;"}, {0xB9, "&#9571;"},
    {0xBA, "&#9553;"}, {0xBB, "&#9559;"},
    {0xBC, "&#9565;"}, {0xBD, "&#9564;"},
    {0xBE, "&#9563;"}, {0xBF, "&#9488;"},
    {0xC0, "&#9492;"}, {0xC1, "&#9524;"},
    {0xC2, "&#9516;"}, {0xC3, "&#9500;"},
    {0xC4, "&#9472;"}, {0xC5, "&#9532;"},
    {0xC6, "&#9566;"}, {0xC7, "&#9567;"},
    {0xC8, "&#9562;"}, {0xC9, "&#9556;"},
    {0xCA, "&#9577;"}, {0xCB, "&#9574;"},
    {0xCC, "&#9568;"}, {0xCD, "&#9552;"},
    {0xCE, "&#9580;"}, {0xCF, "&#9575;"},
    {0xD0, "&#9576;"}, {0xD1, "&#9572;"},
    {0xD2, "&#9573;"}, {0xD3, "&#9561;"},
    {0xD4, "&#9560;"}, {0xD5, "&#9554;"},
    {0xD6, "&#9555;"}, {0xD7, "&#9579;"},
    {0xD8, "&#9578;"}, {0xD9, "&#9496;"},
    {0xDA, "&#9484;"}, {0xDB, "&#9608;"},
    {0xDC, "&#9604;"}, {0xDD, "&#9612;"},
    {0xDE, "&#9616;"}, {0xDF, "&#9600;"},
    {0xE0, "&#945;"},  {0xE2, "&#915;"},
    {0xE3, "&#960;"},  {0xE4, "&#931;"},
    {0xE5, "&#963;"},  {0xE7, "&#964;"},
    {0xE8, "&#934;"},  {0xE9, "&#920;"},
    {0xEA, "&#937;"},  {0xEB, "&#948;"},
    {0xEC, "&#8734;"}, {0xED, "&#966;"},
    {0xEE, "&#949;"},  {0xEF, "&#8745;"},
    {0xF0, "&#8801;"}, {0xF2, "&#8805;"},
    {0xF3, "&#8804;"}, {0xF4, "&#8992;"},
    {0xF5, "&#8993;"}, {0xF7, "&#8776;"},
    {0xF9, "&#8729;"}, {0xFB, "&#8730;"},
    {0xFC, "&#8319;"}, {0xFE, "&#9632;"},
};
static_assert(std::size(kEntityRows) == 88, "one row per byte that is not copied unchanged");

// The rows spread out by byte value, so that each lookup is one indexed access.
constexpr std::array<const char*, 256> kEntityByByte = [] {
  std::array<const char*, 256> byByte{};
  for (const EntityRow& row : kEntityRows) byByte[row.byte] = row.text;
  return byByte;
}();

// The same rows as fixed slots of 8 bytes, one per byte value, for the bulk
// conversion: a byte without a row stands for itself. Each text fits its slot
// except the tab's, which is copied from its row.
constexpr std::size_t kSlotBytes = 8;

struct EntitySlots {
  alignas(8) char text[256][kSlotBytes];
  std::uint8_t length[256];
};

constexpr EntitySlots kSlots = [] {
  EntitySlots slots{};
  for (int byte = 0; byte < 256; ++byte) {
    slots.text[byte][0] = static_cast<char>(byte);
    slots.length[byte] = 1;
  }
  slots.length[0] = 0;  // a zero byte ends text and is never written
  for (const EntityRow& row : kEntityRows) {
    std::size_t length = 0;
    while (row.text[length] != 0) ++length;
    slots.length[row.byte] = static_cast<std::uint8_t>(length);
    for (std::size_t i = 0; i < length && i < kSlotBytes; ++i)
      slots.text[row.byte][i] = row.text[i];
  }
  return slots;
}();

// The longest text of a row: four non-breaking spaces.
constexpr std::size_t kLongestEntity = 24;

}  // namespace

void AppendHtmlText(TextString& out, const char* bytes, std::size_t n) {
  if (n == 0) return;
  // Room for the worst case, plus the slack of the last 8-byte store.
  char* const start = out.AppendSpace(n * kLongestEntity + kSlotBytes);
  if (start == nullptr) return;
  char* next = start;
  const auto* in = reinterpret_cast<const unsigned char*>(bytes);
  const auto* const end = in + n;
  for (; in != end; ++in) {
    const unsigned c = *in;
    const unsigned length = kSlots.length[c];
    std::uint64_t word;
    std::memcpy(&word, kSlots.text[c], kSlotBytes);
    if (length <= kSlotBytes) {
      std::memcpy(next, &word, kSlotBytes);  // one 8-byte store
    } else {
      std::memcpy(next, kEntityByByte[c], length);
    }
    next += length;
  }
  out.CommitAppended(static_cast<std::size_t>(next - start));
}

const char* HtmlEntityFor(unsigned char c) { return kEntityByByte[c]; }

TextString EncodeHtmlChar(const TextString& character) {
  if (character.IsEmpty()) return TextString();
  const char* entity = HtmlEntityFor(static_cast<unsigned char>(character[0]));
  return entity ? TextString(entity) : character;
}

}  // namespace marlix
