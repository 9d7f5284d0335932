// Code page 437, the reference's character set: for each byte the Unicode
// character a DOS screen shows for it.
#pragma once

#include "support/text_string.h"

namespace marlix {

// The Unicode code point of byte c: the control bytes 0x01 to 0x1F and 0x7F
// give the graphic characters the code page shows for them (smileys, card
// suits, arrows, the house), not the controls. 0x00 gives 0: it never
// reaches a page, since text ends at the first zero byte.
char32_t Cp437CodePoint(unsigned char c);

// Whether byte c is a box-drawing character or a shade (0xB0 to 0xDF): a
// line that holds one is part of a drawing and must keep its width.
inline bool IsBoxDrawingByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0xB0 && byte <= 0xDF;
}

// Appends the UTF-8 form of byte c's character (1 to 3 bytes, none for 0x00).
void AppendCp437Utf8(TextString& out, unsigned char c);

}  // namespace marlix
