// One body line of a topic becomes one line of HTML: the format column picks
// the line's markup, "~name~" becomes a link to the topic of that name (or
// bold text when no topic has it), and every other byte goes through the
// entity table.
#pragma once

#include "engine/topic_catalogue.h"
#include "support/output_file.h"
#include "support/text_string.h"

namespace marlix {

enum class LineKind {
  PlainLine = 1,
  IndentedLine = 2,    // format column: tab
  CentredHeading = 3,  // format column: "^"
  BoldHeading = 4,     // format column: "%"
};

LineKind ClassifyLine(const TextString& line);

// Renders lines one after another, reusing its buffers from line to line.
class LineRenderer {
 public:
  // Writes the rendered line to page with one WriteLine.
  void Render(OutputFile& page, const TopicCatalogue& catalogue, const TextString& line);

 private:
  void CloseLink(const TopicCatalogue& catalogue);
  void KeepUnclosedLink(const TextString& line, std::uint32_t tilde);

  TextString content_;
  TextString linkText_;
};

void RenderLine(OutputFile& page, const TopicCatalogue& catalogue, const TextString& line);

}  // namespace marlix
