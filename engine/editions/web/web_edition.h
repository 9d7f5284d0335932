// The web edition of the reference: the same page names as the classic pages
// (Index.htm, Topic<i>.htm, B<i>P<n>.htm), so that links into the reference
// stay valid between the two, written as UTF-8 HTML of today with one style
// sheet (style.css), a search field in every page's header and a search page
// (search.htm, search.js and its data search-index.js, engine/editions/web/web_search.h)
// that work from the file system without a server.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/editions/edition.h"
#include "engine/editions/web/web_search.h"
#include "support/text_string.h"

namespace marlix {

// What a reader of the pages marks on them for each topic name (a docset:
// an anchor its browser lists). The web edition calls it
// with every name of every topic line that leads to a page, in the order the
// names stand, the name's bytes as the source holds them (code page 437);
// marks is what goes on the page the catalogue names for that topic: the
// topic's own page, where the marks stand at the top of its text before the
// navigation and the heading, or the forward page of a topic line that is its
// page's title line. Whatever is appended to marks stands there as it is.
class TopicNameMarks {
 public:
  virtual void MarkName(TextString& marks, const char* name, std::size_t length) = 0;

 protected:
  ~TopicNameMarks() = default;
};

// What the pages carry besides the reference. A docset leaves out the
// search, since the browser that reads it searches its index, and marks
// every topic name for the browser's table of contents.
struct WebPages {
  // The search: the search page, its script and data (and gathering the
  // data on the walk), the search field of every page and the links to the
  // search page.
  bool searchLinks = true;
  // When set, asked for the marks of every topic name (it must outlive the
  // edition).
  TopicNameMarks* nameMarks = nullptr;
  // The contents beside the text (contents.js), which a docset leaves to the
  // browser that reads it: it lists the sections and topics itself.
  bool contentsScript = true;
};

class WebEdition final : public Edition {
 public:
  // title is the reference's name (UTF-8, as given): the site's title, the
  // contents page's heading and the end of every page's title.
  WebEdition(const TopicCatalogue& catalogue, const TextString& title,
             WebPages options = WebPages());

  void WriteIndexPage(PageSink& sink) override;
  void WriteSectionPage(std::uint32_t fileIndex, PageSink& sink) override;
  void BeginTopicFile(std::uint32_t fileIndex) override;
  std::uint32_t TopicLine(const SourceLine& line, PageSink& sink) override;
  void EndTopicPages(PageSink& sink) override;
  void WriteClosingFiles(PageSink& sink) override;

 private:
  void TopicLineNames(const SourceLine& line, PageSink& sink);
  std::uint32_t BodyLine(const SourceLine& line);
  void FinishPage(const TextString& nextPage, const TextString& nextLabel, PageSink& sink);
  void AppendTopicNav(TextString& page, const char* label, const TextString& nextPage,
                      const TextString& nextLabel) const;
  void WriteForwardPage(const TextString& name, PageSink& sink);

  const WebPages options_;
  const TextString siteTitle_;  // escaped
  TextString page_;  // the file being built, its room kept from file to file

  // The source file being read.
  std::uint32_t fileIndex_ = 0;
  TextString sectionTitle_;  // escaped

  // The topic page being built; it stays open across the end of a file.
  bool pageOpen_ = false;
  TextString pageName_;
  TextString pageLabel_;  // its first name, escaped
  TextString pageTitle_;  // escaped
  TextString pageUp_;     // its section page
  TextString pageUpLabel_;
  TextString heading_;  // its title line as its level-one heading's content
  TextString pageMarks_;  // the marks of its names (WebPages::nameMarks)
  TextString body_;
  bool inDrawing_ = false;
  TextString previousPage_;
  TextString previousLabel_;

  TextString line_;       // scratch for one rendered line
  TextString reference_;  // scratch for the text of one reference
  SearchDataBuilder search_;
  TextString forwardMarks_;  // the name marks of the forward page being written
  // The contents script's data: for each section written, its page, its
  // title and each of its pages with its first name, as script strings.
  TextString contents_;
};

}  // namespace marlix
