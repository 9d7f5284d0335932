// Text as character data of any XML or HTML file an edition writes: the one
// place where given UTF-8 text (a title, the reference's name) is escaped.
#pragma once

#include "support/text_string.h"

namespace marlix {

// Appends UTF-8 text as XML (and HTML) character data that any parser takes:
// "&", "<", ">", quotes escaped, and bytes that are no UTF-8 or control
// characters other than tab and line ends as U+FFFD.
void AppendXmlText(TextString& out, const TextString& text);

}  // namespace marlix
