// The docset edition: the reference as a docset, the folder that offline
// documentation browsers read (file names in engine/format/page_names.h):
//
//   NAME.docset/icon.png, icon@2x.png       the program's icon
//   Contents/Info.plist                     the docset's name and keyword
//   Contents/Resources/docSet.dsidx         the index: every topic name that
//                                           is not blank with its page and
//                                           its anchor there (type Entry),
//                                           every section with its section
//                                           page (type Section)
//   Contents/Resources/Documents/           the web edition's pages, without
//                                           the search (the browser searches
//                                           the index), with an anchor per
//                                           name on the page it leads to
//
// The pages are the web edition's own page writers' work: this edition holds
// a WebEdition made without search, hands it every page, and adds the
// docset's own files around them. The anchors go in through the web pages'
// hook for topic names (TopicNameMarks).
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/editions/docset/docset_texts.h"
#include "engine/editions/edition.h"
#include "engine/editions/web/web_edition.h"
#include "support/text_string.h"

namespace marlix {

// The docset's marks on the web pages: the anchor of each topic name
// (AddDocsetAnchor).
class DocsetAnchors final : public TopicNameMarks {
 public:
  void MarkName(TextString& marks, const char* name, std::size_t length) override {
    AddDocsetAnchor(marks, name, length);
  }
};

class DocsetEdition final : public Edition {
 public:
  // name is the reference's name, which the browser shows and the pages too
  // (the request's NAME without ".docset", unless a title was given).
  DocsetEdition(const TopicCatalogue& catalogue, const TextString& name)
      : Edition(catalogue), name_(name), web_(catalogue, name, WebPages{false, &anchors_, false}) {}

  // Makes Contents/Resources/Documents and enters it, for the pages.
  bool Prepare(PageSink& sink) override;
  void WriteIndexPage(PageSink& sink) override { web_.WriteIndexPage(sink); }
  void WriteSectionPage(std::uint32_t fileIndex, PageSink& sink) override {
    web_.WriteSectionPage(fileIndex, sink);
  }
  void BeginTopicFile(std::uint32_t fileIndex) override { web_.BeginTopicFile(fileIndex); }
  std::uint32_t TopicLine(const SourceLine& line, PageSink& sink) override {
    return web_.TopicLine(line, sink);
  }
  void EndTopicPages(PageSink& sink) override { web_.EndTopicPages(sink); }
  // The web edition's style sheet beside the pages, then on the way out of
  // the folders the index, Info.plist and the icons.
  void WriteClosingFiles(PageSink& sink) override;

 private:
  // The index, from the catalogue; one that cannot be built in full is
  // written empty and counted lost.
  void WriteIndex(PageSink& sink);

  TextString name_;
  DocsetAnchors anchors_;  // before web_, which holds it
  WebEdition web_;
};

}  // namespace marlix
