// How bytes of body text (code page 437) become HTML text.
#pragma once

#include "support/text_string.h"

namespace marlix {

// The HTML text that stands for byte c, or nullptr when c is copied unchanged.
const char* HtmlEntityFor(unsigned char c);

// The text for the first byte of character: its table row, or a copy of the
// argument when the byte has none.
TextString EncodeHtmlChar(const TextString& character);

// Appends the HTML text of byte c to out.
inline void AppendHtmlChar(TextString& out, char c) {
  const char* entity = HtmlEntityFor(static_cast<unsigned char>(c));
  if (entity != nullptr) {
    out.Append(entity);
  } else {
    out.AppendChar(c);
  }
}

}  // namespace marlix
