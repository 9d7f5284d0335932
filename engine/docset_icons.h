// The program's icon in the two sizes a docset carries beside its Contents
// folder (icon.png and icon@2x.png), built into the program from the PNG
// files in resources/icons/, so that a conversion needs nothing installed
// beside it.
#pragma once

#include <cstddef>

namespace marlix {

struct EmbeddedFile {
  const unsigned char* bytes;
  std::size_t size;
};

extern const EmbeddedFile kDocsetIcon;    // 16 x 16 pixels, resources/icons/marlix2html-16.png
extern const EmbeddedFile kDocsetIcon2x;  // 32 x 32 pixels, resources/icons/marlix2html-32.png

}  // namespace marlix
