#include "engine/format/page_names.h"

#include <cstring>

namespace marlix {

TextString PageName(std::uint32_t fileIndex, std::uint32_t topicNumber) {
  // "B" + up to 10 digits + "P" + up to 10 digits + ".htm", built backwards
  // and copied whole, so that a name is either complete or empty.
  char digits[26];
  char* end = digits + sizeof digits;
  char* start = end - 4;
  std::memcpy(start, ".htm", 4);
  start = FormatDecimal(topicNumber, start);
  *--start = 'P';
  start = FormatDecimal(fileIndex, start);
  *--start = 'B';
  return TextString(start, static_cast<std::size_t>(end - start));
}

TextString SectionPageName(std::uint32_t fileIndex) {
  TextString number;
  return TextString("Topic") + number.AssignNumber(fileIndex) + ".htm";
}

}  // namespace marlix
