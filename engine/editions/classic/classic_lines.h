// One body line of a topic becomes one line of HTML: the line's kind (from
// its format column) picks the line's markup, "~name~" becomes a link to the
// topic of that name (or bold text when no topic has it), and every other
// byte goes through the entity table.
//
// Rendering writes into memory: RenderLine appends the line's HTML to a
// TextString the caller owns.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/format/cross_references.h"
#include "engine/format/source_scanner.h"
#include "engine/format/topic_catalogue.h"
#include "support/text_string.h"

namespace marlix {

// Appends the HTML of one body line of the given kind, text being the line
// after its format column (no line break), to html. Returns how many of its
// "~" references named no topic (and became bold text).
std::uint32_t RenderLine(TextString& html, const TopicCatalogue& catalogue, LineKind kind,
                         const char* text, std::uint32_t textLength);
// The same for a whole line, its format column first.
std::uint32_t RenderLine(TextString& html, const TopicCatalogue& catalogue,
                         const TextString& line);

}  // namespace marlix
