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

// Appends the UTF-8 form of byte c's character (1 to 3 bytes, none for 0x00).
void AppendCp437Utf8(TextString& out, unsigned char c);

}  // namespace marlix
