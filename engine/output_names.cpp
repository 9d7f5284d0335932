#include "engine/output_names.h"

#include <cstring>

namespace marlix {

std::uint32_t FormatPageName(char (&name)[kMaxPageNameBytes], std::uint32_t fileIndex,
                             std::uint32_t topicNumber) {
  // "B" + up to 10 digits + "P" + up to 10 digits + ".htm", built backwards
  // and moved to the front.
  char* end = name + kMaxPageNameBytes;
  char* start = end - 4;
  std::memcpy(start, ".htm", 4);
  start = FormatDecimal(topicNumber, start);
  *--start = 'P';
  start = FormatDecimal(fileIndex, start);
  *--start = 'B';
  const auto length = static_cast<std::uint32_t>(end - start);
  std::memmove(name, start, length);
  return length;
}

TextString PageName(std::uint32_t fileIndex, std::uint32_t topicNumber) {
  char name[kMaxPageNameBytes];
  const std::uint32_t length = FormatPageName(name, fileIndex, topicNumber);
  return TextString(name, length);
}

TextString SectionPageName(std::uint32_t fileIndex) {
  TextString number;
  return TextString("Topic") + number.AssignNumber(fileIndex) + ".htm";
}

}  // namespace marlix
