#include "engine/entity_table.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Body text is taken 16 bytes at a time: a chunk's bytes that have a row are
// found at once, and the runs between them are copied with one 16-byte move.
constexpr std::size_t kChunkBytes = 16;

// The test that picks a chunk's bytes with a row may also pick bytes without
// one (these go through their slot unchanged), but must never miss a row:
// bytes below 0x21, above 0x7F, and the four HTML characters.
constexpr bool MayHaveRow(unsigned c) {
  return c < 0x21 || c > 0x7F || (c | 0x04) == '&' || (c | 0x02) == '>';
}
constexpr bool EveryRowPicked() {
  for (const EntityRow& row : kEntityRows) {
    if (!MayHaveRow(row.byte)) return false;
  }
  return true;
}
static_assert(EveryRowPicked(), "the chunk test must pick every byte with a row");

// Bit i set when byte i of the chunk may have a row; bytes at and after
// count are never picked.
inline unsigned PickRowBytes(const unsigned char* chunk, std::size_t count) {
#if defined(__SSE2__)
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk));
  // A signed compare takes bytes above 0x7F as negative, so one test finds
  // both the control bytes with the blank and the code page's upper half.
  __m128i picked = _mm_cmplt_epi8(v, _mm_set1_epi8(0x21));
  // '"' and '&' are the two bytes that become '&' with bit 2 set, '<' and '>'
  // the two that become '>' with bit 1 set.
  picked = _mm_or_si128(picked,
                        _mm_cmpeq_epi8(_mm_or_si128(v, _mm_set1_epi8(0x04)), _mm_set1_epi8('&')));
  picked = _mm_or_si128(picked,
                        _mm_cmpeq_epi8(_mm_or_si128(v, _mm_set1_epi8(0x02)), _mm_set1_epi8('>')));
  const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(picked));
#else
  unsigned mask = 0;
  for (std::size_t i = 0; i < kChunkBytes; ++i) {
    if (MayHaveRow(chunk[i])) mask |= 1u << i;
  }
#endif
  return count < kChunkBytes ? mask & ((1u << count) - 1) : mask;
}

// Copies count bytes (at most 16) from in to chunk, in at most two moves.
inline void CopyChunk(unsigned char* chunk, const unsigned char* in, std::size_t count) {
  if (count == kChunkBytes) {
    std::memcpy(chunk, in, kChunkBytes);
  } else if (count >= 8) {
    // Two moves of 8 that overlap as needed.
    std::memcpy(chunk, in, 8);
    std::memcpy(chunk + count - 8, in + count - 8, 8);
  } else if (count >= 4) {
    std::memcpy(chunk, in, 4);
    std::memcpy(chunk + count - 4, in + count - 4, 4);
  } else {
    for (std::size_t i = 0; i < count; ++i) chunk[i] = in[i];
  }
}

inline void Copy16(char* to, const unsigned char* from) { std::memcpy(to, from, kChunkBytes); }

// Bit i set when byte i of the chunk is a tab.
inline unsigned TabBytes(const unsigned char* chunk) {
#if defined(__SSE2__)
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))));
#else
  unsigned mask = 0;
  for (std::size_t i = 0; i < kChunkBytes; ++i) {
    if (chunk[i] == '\t') mask |= 1u << i;
  }
  return mask;
#endif
}

// The chunk went out as it is at base (byte i at base + i); each picked byte
// is written over by its text, and the bytes after it are moved up behind
// that text. Returns where byte 0 would have had to be for the chunk's last
// byte to land where it now is, i.e. the new base.
template <bool kMayHaveTab>
inline char* WriteSlots(char* base, const unsigned char* chunk, unsigned picked) {
  for (; picked != 0; picked &= picked - 1) {
    const std::size_t at = static_cast<unsigned>(std::countr_zero(picked));
    char* const text = base + at;
    const std::size_t c = chunk[at];
    const std::size_t length = kSlots.length[c];
    if (!kMayHaveTab || length <= kSlotBytes) {
      std::memcpy(text, kSlots.text[c], kSlotBytes);  // one 8-byte store
    } else {
      std::memcpy(text, kEntityByByte[c], length);
    }
    Copy16(text + length, chunk + at + 1);
    base += static_cast<std::ptrdiff_t>(length) - 1;
  }
  return base;
}

}  // namespace

void AppendHtmlText(TextString& out, const char* bytes, std::size_t n) {
  if (n == 0) return;
  // Room for the worst case, plus the slack of the last 16-byte move. A worst
  // case past what a size_t holds (from 179 million bytes on in 32 bits) is
  // asked as the largest size, which the string refuses and counts.
  constexpr std::size_t kMostBytes = (SIZE_MAX - kChunkBytes) / kLongestEntity;
  char* const start = out.AppendSpace(n <= kMostBytes ? n * kLongestEntity + kChunkBytes : SIZE_MAX);
  if (start == nullptr) return;
  char* next = start;
  const auto* in = reinterpret_cast<const unsigned char*>(bytes);
  const auto* const end = in + n;
  // Each chunk is copied to a buffer twice its size first, so that every
  // 16-byte move reads inside it, whatever follows the text.
  alignas(16) unsigned char chunk[2 * kChunkBytes] = {};
  while (in != end) {
    const std::size_t left = static_cast<std::size_t>(end - in);
    const std::size_t count = left < kChunkBytes ? left : kChunkBytes;
    CopyChunk(chunk, in, count);
    char* base = next;
    Copy16(base, chunk);
    const unsigned picked = PickRowBytes(chunk, count);
    // Only the tab's text is longer than its slot: chunks without one (all
    // but a few) take the loop without that test.
    if ((picked & TabBytes(chunk)) == 0) {
      base = WriteSlots<false>(base, chunk, picked);
    } else {
      base = WriteSlots<true>(base, chunk, picked);
    }
    next = base + count;
    in += count;
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
