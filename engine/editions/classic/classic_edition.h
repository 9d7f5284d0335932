// The classic edition: pages in the page skeleton every classic page shares,
// and the project files of a help compiler.
//
//   Index.htm        one link per source file to its section page, then the
//                    credit line;
//   Topic<i>.htm     a source file's section page: each name of each of its
//                    topic lines, linked to that topic line's page;
//   B<i>P<n>.htm     a topic's page: titled by its title line, then every
//                    line up to the next topic line that opens a page,
//                    rendered (RenderLine);
//   Index.hhk, Marlix.hhp, toc.hhc   the help project.
#pragma once

#include <cstdint>

#include "engine/editions/edition.h"
#include "engine/format/page_names.h"
#include "support/text_string.h"

namespace marlix {

// The head of a classic page, written to an empty page: "<HTML>", "<HEAD>",
// "<TITLE>" + title + "</TITLE>", "</HEAD>" and the BODY start tag, whose
// style attribute carries the page's font. The title goes in byte for byte.
// Ends without a line break, so the next line starts a new one.
void WritePageHead(TextString& page, const char* title, std::uint32_t length);
inline void WritePageHead(TextString& page, const TextString& title) {
  WritePageHead(page, title.CStr(), title.Length());
}
// The two closing lines "</BODY>" and "</HTML>".
void WritePageFoot(TextString& page);

class ClassicEdition final : public Edition {
 public:
  explicit ClassicEdition(const TopicCatalogue& catalogue) : Edition(catalogue) {}

  void WriteIndexPage(PageSink& sink) override;
  void WriteSectionPage(std::uint32_t fileIndex, PageSink& sink) override;
  void BeginTopicFile(std::uint32_t fileIndex) override { fileIndex_ = fileIndex; }
  std::uint32_t TopicLine(const SourceLine& line, PageSink& sink) override;
  void EndTopicPages(PageSink& sink) override;
  void WriteClosingFiles(PageSink& sink) override;

 private:
  void FinishTopicPage(PageSink& sink);

  TextString page_;  // the file being built, its room kept from file to file
  std::uint32_t fileIndex_ = 0;
  // The topic page being built; it stays open across the end of a file.
  bool pageOpen_ = false;
  TextString pageName_;
};

}  // namespace marlix
