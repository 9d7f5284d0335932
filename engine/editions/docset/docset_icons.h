// The program's icon in the two sizes a docset carries beside its Contents
// folder (icon.png and icon@2x.png), built into the program from the PNG
// files in resources/icons/ (cmake/EmbedFiles.cmake), so that a conversion
// needs nothing installed beside it. Their bytes hold zero bytes: the sizes
// say where they end.
#pragma once

#include <cstddef>

namespace marlix {

// 16 x 16 pixels, resources/icons/marlix2html-16.png.
extern const char kDocsetIcon[];
extern const std::size_t kDocsetIconSize;
// 32 x 32 pixels, resources/icons/marlix2html-32.png.
extern const char kDocsetIcon2x[];
extern const std::size_t kDocsetIcon2xSize;

}  // namespace marlix
