// Source text as it is written into the pages of the web edition: each code
// page 437 byte as its Unicode character in UTF-8, the HTML specials escaped,
// and tabs expanded to spaces up to the next multiple of 8 columns.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/format/source_scanner.h"
#include "engine/format/topic_catalogue.h"
#include "support/text_string.h"

namespace marlix {

constexpr std::uint32_t kWebTabWidth = 8;

// Appends bytes[0, n) to out. column is the column the first byte stands in
// (0 for the first character of a line) and is advanced past the text, one
// column per byte, so that a line can be appended in several pieces.
void AppendWebText(TextString& out, const char* bytes, std::size_t n, std::uint32_t& column);

// The whole of text, starting at column 0: for titles, names and link texts.
TextString WebText(const TextString& text);

// The length of a line without a carriage return at its end: what is left
// of a CR LF line end whose line feed fell beyond the 80 bytes of a piece,
// which the web pages, their search data and a docset's names do not show.
inline std::uint32_t WithoutLineEndResidue(const char* bytes, std::uint32_t length) {
  return length > 0 && bytes[length - 1] == '\r' ? length - 1 : length;
}

// The reference's name as the pages show it (unescaped): name, or "Marlix"
// when it is empty or blanks only.
TextString ShownReferenceName(const TextString& name);

// Whether text is empty or blanks only: shows nothing.
bool IsBlank(const TextString& text);

// The text of a title (a piece of a line, in code page 437) as the pages show
// it, or fallback when it would show nothing.
TextString ShownTitle(const char* bytes, std::uint32_t length, const TextString& fallback);

// The text of one body line (after its format column) as the pages show it,
// for ParseCrossReferences: tabs expanded, a "~name~" of a topic a link to
// its page, one of no topic bold text, a name of blanks its blanks.
class WebLineText {
 public:
  // Appends the link target of a catalogue page name to out.
  using LinkTarget = void (*)(TextString& out, const TextString& page);
  // shown is scratch for the text of a reference, reused from line to line;
  // links lead to the page names as they are unless linkTarget is given.
  WebLineText(TextString& html, TextString& shown, const TopicCatalogue& catalogue,
              LinkTarget linkTarget = nullptr)
      : html_(html), shown_(shown), catalogue_(catalogue), linkTarget_(linkTarget) {}

  // Reads one body line of kind, its text after the format column. The tab
  // of an indented line's format column is shown like every other tab:
  // blanks to the next multiple of 8 columns, counted from the first column
  // of the line as it shows. A heading "%\tX" and a row "\tY" thus start X
  // and Y in the same column, as on the text screen the reference was
  // written for.
  void BodyLine(LineKind kind, const char* text, std::uint32_t length);

  void Text(const char* bytes, std::uint32_t n);
  void Tilde();
  void Reference(const char* name, std::uint32_t n);
  // Whether the line holds a box-drawing byte.
  bool Drawing() const { return drawing_; }
  // References so far that named no topic.
  std::uint32_t Unresolved() const { return unresolved_; }

 private:
  TextString& html_;
  TextString& shown_;
  const TopicCatalogue& catalogue_;
  LinkTarget linkTarget_;
  std::uint32_t column_ = 0;
  std::uint32_t unresolved_ = 0;
  bool drawing_ = false;
};

// Appends the contents page's list of the sections that could be read, each
// a link to its section page with the number of its topic pages (links lead
// to the page names as they are unless linkTarget is given).
void AppendSectionList(TextString& page, const TopicCatalogue& catalogue,
                       WebLineText::LinkTarget linkTarget = nullptr);

// Hears each page that a section's list of topics links to, with the first
// name it shows.
class SectionPages {
 public:
  virtual void Page(const TextString& page, const TextString& shown) = 0;

 protected:
  ~SectionPages() = default;
};

// Appends the items of a section page's list of topics: one per topic line
// that opens a page, a link with its first name ("(unnamed topic)" when it
// shows nothing) and its further names beside it, the names of a topic line
// that is its title line too. pages, when given, hears each page.
void AppendSectionTopics(TextString& items, const TopicCatalogue& catalogue,
                         std::uint32_t fileIndex, WebLineText::LinkTarget linkTarget = nullptr,
                         SectionPages* pages = nullptr);

// A section's title as the pages show it, "Untitled section" when it shows
// nothing.
TextString ShownSectionTitle(const TopicCatalogue& catalogue, std::uint32_t fileIndex);

// Appends a section page's heading and its list of topics (items from
// AppendSectionTopics), or the words for a section without topics.
void AppendSectionBody(TextString& page, const TextString& title, const TextString& items);

// What a topic whose first name shows nothing is called.
inline constexpr char kUnnamedTopic[] = "(unnamed topic)";

// What a section whose title shows nothing is called.
inline constexpr char kUntitledSection[] = "Untitled section";

}  // namespace marlix
