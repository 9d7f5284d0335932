// The frame every HTML page of the output shares.
#pragma once

#include <cstdint>

#include "support/output_file.h"
#include "support/text_string.h"

namespace marlix {

// Writes the head and the BODY start tag to a new, empty page. The title is
// written byte for byte. Ends without a line break, so the next WriteLine
// starts a new line.
void WritePageHead(OutputFile& page, const TextString& title);
// Writes the two closing lines "</BODY>" and "</HTML>".
void WritePageFoot(OutputFile& page);

// The same bytes for a page built in memory: the head of a new page (title of
// length bytes), and the foot with the line break before it.
void AppendPageHead(TextString& page, const char* title, std::uint32_t length);
void AppendPageFoot(TextString& page);

}  // namespace marlix
