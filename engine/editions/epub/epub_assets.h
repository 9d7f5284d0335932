// The fixed files of the e-book, built into the program from resources/epub/
// (cmake/EmbedFiles.cmake), so that a conversion needs nothing installed
// beside it.
#pragma once

#include <cstddef>

namespace marlix {

// style.css: the lines of a topic in the embedded monospaced font.
extern const char kEpubStyleSheet[];
// DejaVu Sans Mono cut down to code page 437 (resources/epub/make_font.py);
// its bytes hold zero bytes: the size says where they end.
extern const char kEpubFont[];
extern const std::size_t kEpubFontSize;
// The font's licence, which goes with every copy: plain text that needs no
// escaping in XML.
extern const char kEpubFontLicence[];

}  // namespace marlix
