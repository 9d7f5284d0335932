// The "~name~" markup of a body line, read in this one place: every reader
// of body lines (each edition's pages, the search data, the warnings about
// references to no topic) calls ParseCrossReferences with a visitor of its own.
#pragma once

#include <cstdint>
#include <cstring>

#include "support/text_string.h"

namespace marlix {

// Reads the "~" markup of text (a body line without its format column) and
// calls, left to right:
//   visitor.Text(bytes, n)      n bytes to show as text, no "~" among them;
//   visitor.Tilde()             one "~" to show: a "~~" pair, or the "~" of a
//                               reference that no later "~" closes (the rest
//                               of the line is then text);
//   visitor.Reference(name, n)  a closed "~name~"; a "~~" pair inside it is
//                               shown (by Tilde) before it and is not part of
//                               the name.
template <typename Visitor>
void ParseCrossReferences(const char* text, std::uint32_t length, Visitor& visitor);

template <typename Visitor>
void ParseCrossReferences(const char* text, std::uint32_t length, Visitor& visitor) {
  // The position of the next "~" at or after from, or length when none.
  auto findTilde = [text, length](std::uint32_t from) {
    const void* tilde = from < length ? std::memchr(text + from, '~', length - from) : nullptr;
    return tilde ? static_cast<std::uint32_t>(static_cast<const char*>(tilde) - text) : length;
  };
  std::uint32_t runStart = 0;
  std::uint32_t i = findTilde(0);
  while (i < length) {
    if (i > runStart) visitor.Text(text + runStart, i - runStart);
    if (i + 1 < length && text[i + 1] == '~') {
      visitor.Tilde();
      runStart = i + 2;
      i = findTilde(runStart);
      continue;
    }
    // An opening "~": find the one that closes it, passing over "~~" pairs.
    std::uint32_t close = findTilde(i + 1);
    std::uint32_t pairs = 0;
    while (close + 1 < length && text[close + 1] == '~') {
      ++pairs;
      close = findTilde(close + 2);
    }
    if (close >= length) {
      // Never closed: the "~" is text, and so is the rest, pairs and all.
      visitor.Tilde();
      runStart = i + 1;
      i = findTilde(runStart);
      continue;
    }
    for (std::uint32_t p = 0; p < pairs; ++p) visitor.Tilde();
    const char* name = text + i + 1;
    std::uint32_t nameLength = close - i - 1;
    if (pairs == 0) {
      visitor.Reference(name, nameLength);
    } else {
      // The name without its pairs: one "~" of each pair dropped as well.
      TextString joined;
      for (std::uint32_t k = 0; k < nameLength; ++k) {
        if (name[k] == '~') {
          ++k;
          continue;
        }
        joined.AppendChar(name[k]);
      }
      visitor.Reference(joined.CStr(), joined.Length());
    }
    runStart = close + 1;
    i = findTilde(runStart);
  }
  if (length > runStart) visitor.Text(text + runStart, length - runStart);
}

}  // namespace marlix
