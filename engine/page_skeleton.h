// The frame every HTML page of the output shares.
#pragma once

#include "support/output_file.h"
#include "support/text_string.h"

namespace marlix {

// Writes the head and the BODY start tag to a new, empty page. The title is
// written byte for byte. Ends without a line break, so the next WriteLine
// starts a new line.
void WritePageHead(OutputFile& page, const TextString& title);
// Writes the two closing lines "</BODY>" and "</HTML>".
void WritePageFoot(OutputFile& page);

}  // namespace marlix
