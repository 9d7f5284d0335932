// Code page 437 as Unicode: the character each of the 256 bytes shows on a
// DOS screen, and its UTF-8 form. The control bytes 0x01 to 0x1F and 0x7F map
// to the graphic characters the code page shows for them (smileys, card
// suits, arrows, the house), not to the controls.
#pragma once

#include <cstdint>

#include "support/text_string.h"

namespace marlix {

// The Unicode code point of byte c. 0x00 gives 0: it never reaches a page,
// since text ends at the first zero byte.
char32_t Cp437CodePoint(unsigned char c);

// The UTF-8 bytes of byte c's character (1 to 3 bytes, none for 0x00).
struct Utf8Bytes {
  char bytes[3];
  std::uint8_t length;
};
const Utf8Bytes& Cp437Utf8(unsigned char c);

inline void AppendCp437AsUtf8(TextString& out, unsigned char c) {
  const Utf8Bytes& utf8 = Cp437Utf8(c);
  out.AppendBytes(utf8.bytes, utf8.length);
}

}  // namespace marlix
