// The text that stands for each byte of code page 437 in a classic page.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/text_string.h"

namespace marlix {

// The text of byte c in a classic page, or nullptr when c stands for itself.
const char* HtmlEntityFor(unsigned char c);

// The text for the first byte of character: its table row, or a copy of the
// argument when the byte has none.
TextString EncodeHtmlChar(const TextString& character);

// Appends the classic HTML text of n bytes of body text to out, byte by byte
// as EncodeHtmlChar converts them (zero bytes, if any, are dropped).
void AppendHtmlText(TextString& out, const char* bytes, std::size_t n);

}  // namespace marlix
