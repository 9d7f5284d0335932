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
// every character as its Unicode character, never HTML. Names and titles are
// kept as they are written; search.js folds a to z itself, with the query.
// The script is ASCII: a character beyond it is written as a \uXXXX escape,
// so that the browser parses the script as one byte a character.
//
// The text of all topics is kept as words of one table, each distinct word
// written once and each use of it as a code of one to a few characters (the
// most used words the shortest): prose repeats its words, so this keeps the
// text at about a third of the reference's size, where the plain text would
// take three quarters. Beside it is an index of search tokens (see
// IsSearchWordByte): for each token, the topics that hold it and where.
// The script:
//
//   window.marlixSearchData = {
//   "final": "AB...",                     the code alphabets, see below
//   "more": "!#...",
//   "letters": "$_Çü...",                 the characters besides 0-9, A-Z and
//                                         a-z that make up word tokens
//   "words": "the of a ...",              the distinct words, most used first,
//                                         separated by one blank
//   "sections": ["Section title", ...],
//   "topics": [
//   ["B0P0.htm",0,"Title","codes","Name","Other name"],
//   ...],
//   "lengths": "codes",                   each topic's number of text tokens
//                                         (words and signs)
//   "tokens": "$ 10 3F8 ...",             the distinct tokens, sorted by their
//                                         UTF-16 code units, separated by one blank
//   "postings": "codes codes ..."};       for each token, blank-separated: the
//                                         topics that hold it
//
// A topic's text is its codes in order, joined by blanks. Word number n is
// written as zero or more "more" characters and one "final" character: with
// F final and K more characters, the first F numbers take one character, the
// next K*F two, the next K*K*F three, and so on; within its length a number
// is counted from the first of that length, its last digit (base F) the
// final character and the digits before it (base K) the more characters.
// Neither alphabet holds a blank, a quote or a backslash, so codes need no
// escaping and end only at a final character.
//
// A token's postings are two numbers (codes as above) for each topic that
// holds it, in reading order: the topic's number (for all but the first, as the distance
// from the one before) and 4 * (how often the text holds it) + 2 (when the
// title holds it) + 1 (when a name holds it).
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

// Search tokens. Shown text (code page 437; blanks, tabs and box drawing are
// gaps between tokens) is cut into tokens: a run of word characters (ASCII
// letters and digits, "_", "$", the accented letters 0x80-0xA5 and the Greek
// letters 0xE0-0xEE but infinity, 0xEC) is a word token; a run of any other
// characters is a sign token. So "," "=" ":" "." "/" "-" "+" inside a run end
// its word and make a sign token of their own: "INT 21,4C" is INT, 21, ","
// and 4C; "AH=4Ch" is AH, "=" and 4C; "SQR(-1)" is SQR, "(-", 1 and ")". A
// token is kept folded (a-z as A-Z, nothing else), and a hex number written
// with a trailing h (a digit, hex digits, "h": "10h", "3Dh") or a leading
// "0x" ("0x378") as the bare number ("10", "3D", "378").
bool IsSearchWordByte(unsigned char c);

// A token's bytes as the index keeps them: folded, hex forms bare.
void AppendSearchToken(TextString& out, const char* bytes, std::uint32_t length);

// A table of distinct byte strings, numbered in the order they came.
class DistinctStrings {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  DistinctStrings() = default;
  DistinctStrings(const DistinctStrings&) = delete;
  DistinctStrings& operator=(const DistinctStrings&) = delete;
  ~DistinctStrings();

  // The number of bytes[0..length), added when new (added says so); kNone
  // when the table could not take it.
  std::uint32_t Number(const char* bytes, std::uint32_t length, bool& added);
  std::uint32_t Count() const { return entries_.Count(); }
  const char* Bytes(std::uint32_t n) const { return bytes_.CStr() + entries_[n].start; }
  std::uint32_t Length(std::uint32_t n) const { return entries_[n].length; }
  // Forgets every string and gives back the memory.
  void Release();

 private:
  struct Entry {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
  };
  bool GrowSlots();

  Slots<Entry> entries_;
  TextString bytes_;
  // Open addressing over entries_: number + 1, 0 for a free slot.
  std::uint32_t* slots_ = nullptr;
  std::uint32_t slotMask_ = 0;
};

class SearchDataBuilder {
 public:
  SearchDataBuilder() = default;
  SearchDataBuilder(const SearchDataBuilder&) = delete;
  SearchDataBuilder& operator=(const SearchDataBuilder&) = delete;

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
  std::uint32_t TokenCount() const { return tokens_.Count(); }

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
  // Where a topic's pieces start. Its page, its names (,"name" for each),
  // its text and its postings run to where the next topic's start; its
  // title, the last one set, has its length.
  struct Topic {
    std::uint32_t section = 0;
    std::uint32_t page = 0;
    std::uint32_t names = 0;
    std::uint32_t title = 0;
    std::uint32_t titleLength = 0;
    std::uint32_t text = 0;      // in textCodes_
    std::uint32_t postings = 0;  // in postingCodes_
    std::uint32_t tokens = 0;    // how many tokens its text holds
  };
  // A token held by a topic: 4 * uses in the text + 2 (title) + 1 (name).
  struct Posting {
    std::uint32_t token = 0;
    std::uint32_t where = 0;
  };
  static constexpr std::uint32_t kInName = 1;
  static constexpr std::uint32_t kInTitle = 2;
  static constexpr std::uint32_t kTextUse = 4;

  // The word now in word_: its number, added to the table when new;
  // DistinctStrings::kNone when the table could not take it.
  std::uint32_t NumberOfWord();
  // After a failed append of a word or its code: drops every topic's text.
  void LoseText();
  // Counts the tokens of bytes (code page 437, with "~" markup when markup)
  // for the current topic, where being kInName, kInTitle or kTextUse.
  void AddTokens(const char* bytes, std::uint32_t length, bool markup, std::uint32_t where);
  void AddToken(const char* bytes, std::uint32_t length, std::uint32_t where);
  // Moves the current topic's postings to postingCodes_.
  void KeepPostings();
  // After a failed append to the index: drops the whole index.
  void LoseIndex();
  // Appends the tokens and their postings, each as a script string's text.
  void AppendIndex(TextString& out) const;
  // Calls onPosting(topic, token, where) for every posting, topic by topic.
  template <typename OnPosting>
  void ForEachPosting(OnPosting&& onPosting) const;

  std::uint32_t sections_ = 0;
  TextString sectionTitles_;  // script text: "title" for each, separated by commas
  Slots<Topic> topics_;
  Pieces pages_;
  Pieces names_;
  Pieces titles_;
  DistinctStrings words_;      // script text
  Slots<std::uint32_t> uses_;  // of each word
  // The text of every topic, the code of each word's number in the order
  // the words came (a few bytes where a number would take four), coded
  // again by use when the script is written.
  TextString textCodes_;
  bool textLost_ = false;
  DistinctStrings tokens_;  // UTF-8, folded
  // The postings of every topic before the current one, topic by topic, as
  // the codes of token number and where (AppendWordCode): a few bytes for
  // each, where a Posting takes eight.
  TextString postingCodes_;
  // The current topic's postings, and of each token its place there when
  // the current topic holds it (found again when it comes again).
  Slots<Posting> current_;
  Slots<std::uint32_t> lastPosting_;
  bool indexLost_ = false;
  TextString word_;   // scratch: one word's script text
  TextString shown_;  // scratch: one name's, title's or page's
  TextString token_;  // scratch: one token
};

}  // namespace marlix
