// The search data of the web edition: what the search page needs to find a
// topic by its names, its title or its text, as one script (search-index.js)
// that search.js loads with a <script> element when the reader first
// searches. A script, not a data file: browsers refuse to fetch a file of the
// disk, but run a script from it.
//
// The builder is fed in reading order: each section, then each of its topics
// with its page, its names, its title line and its text lines, all as the
// source's code page 437 bytes (title and text lines after their format
// column). It keeps what the reader sees and nothing else: "~name~" reduced
// to the name and "~~" to "~" (ParseCrossReferences), box-drawing characters
// and shades dropped, blanks and tabs between words collapsed to one blank,
// every character in UTF-8 (AppendCp437Utf8), never HTML. Names and titles are
// kept as they are written; search.js folds a to z itself, with the query.
//
// The text of all topics is kept as words of one table, each distinct word
// written once and each use of it as a code of one to a few characters (the
// most used words the shortest): prose repeats its words, so this keeps the
// data at about a third of the reference's size, where the plain text would
// take three quarters. The script:
//
//   window.marlixSearchData = {
//   "final": "AB...",                     the code alphabets, see below
//   "more": "!#...",
//   "words": "the of a ...",              the distinct words, most used first,
//                                         separated by one blank
//   "sections": ["Section title", ...],
//   "topics": [
//   ["B0P0.htm",0,"Title","codes","Name","Other name"],
//   ...]};
//
// A topic's text is its codes in order, joined by blanks. Word number n is
// written as zero or more "more" characters and one "final" character: with
// F final and K more characters, the first F numbers take one character, the
// next K*F two, the next K*K*F three, and so on; within its length a number
// is counted from the first of that length, its last digit (base F) the
// final character and the digits before it (base K) the more characters.
// Neither alphabet holds a blank, a quote or a backslash, so codes need no
// escaping and end only at a final character.
#pragma once

#include <cstdint>

#include "support/indexed_lists.h"
#include "support/text_string.h"

namespace marlix {

// The code alphabets of the topics' texts.
inline constexpr char kSearchFinalDigits[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
inline constexpr char kSearchMoreDigits[] = "!#$%&'()*+,./:;<=>?@[]^`{|}~";

// Appends the code of word number n to out.
void AppendWordCode(TextString& out, std::uint32_t n);

class SearchDataBuilder {
 public:
  SearchDataBuilder() = default;
  SearchDataBuilder(const SearchDataBuilder&) = delete;
  SearchDataBuilder& operator=(const SearchDataBuilder&) = delete;
  ~SearchDataBuilder();

  // A new section, with its title (line 1 after the "@"); its topics follow.
  void BeginSection(const char* title, std::uint32_t length);
  // A new topic of the current section, shown on page.
  void BeginTopic(const TextString& page);
  // One of the current topic's names, in the order of its topic lines.
  void AddName(const char* name, std::uint32_t length);
  // The current topic's title line, after its format column.
  void SetTitle(const char* line, std::uint32_t length);
  // One more line of the current topic's text, after its format column.
  void AddTextLine(const char* line, std::uint32_t length);
  // Names, titles and text that come before the first topic are ignored.
  // Every piece may end in the carriage return of a CR LF line end that the
  // 80-byte limit cut off from its line feed; it is dropped.

  std::uint32_t TopicCount() const { return topics_.Count(); }
  std::uint32_t WordCount() const { return words_.Count(); }

  // Appends the whole script to out.
  void AppendScript(TextString& out) const;

 private:
  // The script text of every topic's page, names or title, one after
  // another; a failed append loses them all (and is counted).
  struct Pieces {
    TextString bytes;
    bool lost = false;
    // Where the next piece starts.
    std::uint32_t End() const { return bytes.Length(); }
    void Add(const TextString& piece);
  };
  // Where a topic's pieces start. Its page, its names (,"name" for each)
  // and its text run to where the next topic's start; its title, the last
  // one set, has its length.
  struct Topic {
    std::uint32_t section = 0;
    std::uint32_t page = 0;
    std::uint32_t names = 0;
    std::uint32_t title = 0;
    std::uint32_t titleLength = 0;
    std::uint32_t text = 0;  // in textCodes_
  };
  struct Word {
    std::uint32_t start = 0;   // its bytes in wordBytes_ (script text)
    std::uint32_t length = 0;
    std::uint32_t uses = 0;
  };

  // The word now in word_: its number, added to the table when new;
  // kNoWord when the table could not take it.
  std::uint32_t NumberOfWord();
  bool GrowWordSlots();
  // After a failed append of a word or its code: drops every topic's text.
  void LoseText();

  std::uint32_t sections_ = 0;
  TextString sectionTitles_;  // script text: "title" for each, separated by commas
  Slots<Topic> topics_;
  Pieces pages_;
  Pieces names_;
  Pieces titles_;
  Slots<Word> words_;
  TextString wordBytes_;
  // The text of every topic, the code of each word's number in the order
  // the words came (a few bytes where a number would take four), coded
  // again by use when the script is written.
  TextString textCodes_;
  // Open addressing over words_: word number + 1, 0 for a free slot.
  std::uint32_t* wordSlots_ = nullptr;
  std::uint32_t wordSlotMask_ = 0;
  bool textLost_ = false;
  TextString word_;   // scratch: one word's script text
  TextString shown_;  // scratch: one name's, title's or page's
};

}  // namespace marlix
