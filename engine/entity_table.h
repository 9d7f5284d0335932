// How bytes of body text (code page 437) become HTML text.
#pragma once

#include <cstddef>

#include "support/text_string.h"

namespace marlix {

// The HTML text that stands for byte c, or nullptr when c is copied unchanged.
const char* HtmlEntityFor(unsigned char c);

// The text for the first byte of character: its table row, or a copy of the
// argument when the byte has none.
TextString EncodeHtmlChar(const TextString& character);

// Appends the HTML text of n bytes of body text to out, byte by byte as
// EncodeHtmlChar converts them (zero bytes, if any, are dropped).
void AppendHtmlText(TextString& out, const char* bytes, std::size_t n);

}  // namespace marlix
