// The names of the pages every edition shares: the contents page and each
// topic's and section's page, so that a link means the same page in every
// edition. Each edition names its other files itself.
#pragma once

#include <cstdint>

#include "support/text_string.h"

namespace marlix {

// The contents page, which every edition opens with.
inline constexpr char kIndexPageName[] = "Index.htm";

// A topic's page: "B" + file index + "P" + topic number + ".htm"; empty
// when memory runs out (the loss counted).
TextString PageName(std::uint32_t fileIndex, std::uint32_t topicNumber);

// A source file's section page: "Topic" + file index + ".htm".
TextString SectionPageName(std::uint32_t fileIndex);

}  // namespace marlix
