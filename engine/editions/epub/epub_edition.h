// The e-book: the reference as one EPUB 3 file, NAME.epub, made new in the
// destination folder. It is a ZIP archive (engine/output/archive_writer.h)
// holding, in this order:
//
//   mimetype                  "application/epub+zip", stored, first
//   META-INF/container.xml    where the package document is
//   EPUB/nav.xhtml            the navigation document: every section and,
//                             under it, its topics; the landmarks
//   EPUB/Index.xhtml          the contents page, then each section page
//   EPUB/Topic<i>.xhtml       followed by its topic pages, in reading order,
//   EPUB/B<i>P<n>.xhtml       as the web edition has them, in XHTML
//   EPUB/style.css            the style sheet
//   EPUB/fonts/...            the monospaced font the lines are shown in,
//   EPUB/font-licence.xhtml   and its licence, a page out of the reading order
//   EPUB/package.opf          the package document: metadata, manifest, spine
//
// The bytes depend on nothing but the sources, NAME and the language: every
// entry carries the same time (SOURCE_DATE_EPOCH when set, else the newest
// modification time of the sources), which is also the book's modification
// date; its identifier is a name-based UUID of NAME and the text read from
// the sources.
#pragma once

#include <cstdint>

#include "engine/editions/edition.h"
#include "engine/editions/epub/epub_package.h"
#include "support/text_string.h"

namespace marlix {

// The book's file: NAME with this added, unless NAME ends so.
inline constexpr char kEpubSuffix[] = ".epub";

// What a book is made from besides the catalogue.
struct EpubBook {
  TextString title;        // NAME, as given (UTF-8 as far as it is)
  TextString language;     // a language tag (IsLanguageTag)
  std::int64_t time = 0;   // seconds since 1970, UTC
};

class EpubEdition final : public Edition {
 public:
  EpubEdition(const TopicCatalogue& catalogue, const EpubBook& book);

  // Writes the mimetype and the container entries into the archive the run
  // has entered (the driver makes NAME.epub where a folder would be made);
  // false when there is none.
  bool Prepare(PageSink& sink) override;
  // The navigation document, then the contents page.
  void WriteIndexPage(PageSink& sink) override;
  void WriteSectionPage(std::uint32_t fileIndex, PageSink& sink) override;
  void BeginTopicFile(std::uint32_t fileIndex) override;
  std::uint32_t TopicLine(const SourceLine& line, PageSink& sink) override;
  void EndTopicPages(PageSink& sink) override;
  // The style sheet, the font and its licence, the package document; then
  // the archive is closed.
  void WriteClosingFiles(PageSink& sink) override;

 private:
  void TopicLineNames(const SourceLine& line, PageSink& sink);
  std::uint32_t BodyLine(const SourceLine& line);
  void FinishPage(PageSink& sink);
  void WriteForwardPage(std::uint32_t topicNumber, PageSink& sink);
  // Writes page_ as the content document of a page of the catalogue.
  void WriteDocument(const TextString& pageName, PageSink& sink);
  void AppendHead(const TextString& title);
  void WritePackage(PageSink& sink);

  EpubBook book_;
  TextString shownTitle_;  // the book's title as its pages show it, escaped
  TextString page_;     // the document being built, its room kept
  TextString entry_;    // scratch for an entry's name
  NameHash hash_;       // of NAME and the sources' text, for the identifier

  std::uint32_t fileIndex_ = 0;
  TextString sectionTitle_;  // escaped

  // The topic page being built; it stays open across the end of a file.
  bool pageOpen_ = false;
  TextString pageName_;
  TextString pageLabel_;  // its first name, escaped
  TextString pageTitle_;  // escaped
  TextString heading_;    // its title line as its heading's content
  TextString body_;
  bool inDrawing_ = false;
  bool centredSeen_ = false;  // a centred heading stands before in the page
  TextString line_;
  TextString reference_;
};

}  // namespace marlix
