// The one reader of the source grammar. Every step that reads a source file
// walks it with a SourceScanner, so the rules below are written only here:
//
//   - line 1 holds the "@" mark and the section title: the title is the rest of
//     that line after its first byte, at most 80 bytes (one reader piece read
//     from the second byte);
//   - the body is read in the reader's pieces (at most 80 bytes each, LineReader)
//     from the start of the file, and the first piece, line 1, is skipped whole:
//     of a first line longer than 80 bytes, the rest comes as a piece of its own;
//   - the first byte of a piece is its format column, which gives a body line
//     its kind; the text is what follows it;
//   - a piece whose first byte is ":" is a topic line; topic lines are numbered
//     on from the number given to Open, in reading order;
//   - the piece right after a topic line that opens a page is that topic's
//     title line. A topic line right after such a topic line is therefore a
//     title line too: it keeps its number, but opens no page;
//   - a topic line that opens a page at the very end of the file is followed by
//     an absent title line: empty, with no bytes read.
//
// Use:
//   SourceScanner scanner;
//   if (scanner.Open(path, firstTopic)) {
//     scanner.SectionTitle();          // available at once
//     while (scanner.Next()) {         // one piece at a time (or NextTopicLine)
//       const SourceLine& line = scanner.Line();
//       ...                            // kind, text, flags, numbers
//     }
//     scanner.ReadFailed();            // the walk ended by a failed read
//     scanner.NextTopicNumber();       // the number the next file starts from
//   }
//
// Whether a page stays open across the end of a file, and what a topic's page
// is called, is for the page writers: a scanner sees one file at a time.
#pragma once

#include <cstdint>

#include "support/line_reader.h"
#include "support/text_string.h"

namespace marlix {

// The layout of a body line, by its format column.
enum class LineKind {
  PlainLine = 1,
  IndentedLine = 2,    // format column: tab
  CentredHeading = 3,  // format column: "^"
  BoldHeading = 4,     // format column: "%"
};

// The kind of a line by its first byte; an empty line is a PlainLine.
LineKind ClassifyLine(const char* line, std::uint32_t length);

// One piece of a source file after line 1's first piece.
struct SourceLine {
  static constexpr std::uint32_t kNoTopic = 0xFFFFFFFFu;

  const char* bytes = "";    // the whole piece, valid until the next Next(); no zero byte
  std::uint32_t length = 0;  // bytes of the piece
  LineKind kind = LineKind::PlainLine;
  const char* text = "";         // the piece after its first byte (format column or ":")
  std::uint32_t textLength = 0;  // 0 for a piece of fewer than 2 bytes
  bool topic = false;            // a topic line (first byte ":")
  bool title = false;            // the title line of the topic line before it
  bool opensPage = false;        // a topic line that is not a title line
  bool absent = false;           // the empty title line of a topic line that ends the file
  bool last = false;             // the last piece of the file (or the absent line after it)
  // Topic lines: their own number. Other lines: the number of the last topic
  // line before them in this file, or kNoTopic when there is none yet.
  std::uint32_t topicNumber = kNoTopic;
  std::uint32_t lineNumber = 0;  // 1-based physical line of the file it comes from
  bool continuation = false;     // a later 80-byte piece of a longer physical line
  bool cutAtZero = false;        // the piece held a zero byte: the bytes from it are left out
};

// The length of line's text without the DOS end-of-file mark (Ctrl-Z) that
// may end a file's last piece, for editions that show text as characters;
// false when the piece held nothing but the mark, which is then no line.
bool TextWithoutEndOfFileMark(const SourceLine& line, std::uint32_t& length);

class SourceScanner {
 public:
  SourceScanner() = default;
  SourceScanner(const SourceScanner&) = delete;
  SourceScanner& operator=(const SourceScanner&) = delete;

  // Opens a source file; its first topic line will take number firstTopic.
  // False when it cannot be opened.
  bool Open(const TextString& path, std::uint32_t firstTopic);
  void Close();
  bool IsOpen() const { return reader_.IsOpen(); }

  // The rest of line 1 after its first byte; empty for a file of one byte.
  const TextString& SectionTitle() const { return sectionTitle_; }

  // Moves to the next piece; false when the file has no more (its end, or a
  // read that failed).
  bool Next();
  const SourceLine& Line() const { return line_; }
  // Moves to the next topic line; false when there is none.
  bool NextTopicLine() {
    while (Next()) {
      if (line_.topic) return true;
    }
    return false;
  }

  // True when the walk ended because a read failed, not at the file's end.
  bool ReadFailed() const { return reader_.ReadFailed(); }
  int ReadError() const { return reader_.ReadError(); }
  // The number the next topic line would take.
  std::uint32_t NextTopicNumber() const { return nextTopic_; }

  // What the walk has seen of the file so far: pieces handed out (an absent
  // title line not counted), topic lines, bytes taken, the file's size and
  // its modification time. Two walks of an unchanged file see the same; a
  // file written again between them is seen as changed even where its counts
  // stay (a topic renamed in place), when its time moved by a second or more.
  struct Seen {
    std::uint32_t pieces = 0;
    std::uint32_t topics = 0;
    std::int64_t bytes = 0;
    std::int64_t size = 0;
    std::int64_t modified = -1;
    bool operator==(const Seen&) const = default;
  };
  Seen WalkSeen() const {
    return {pieces_, nextTopic_ - firstTopic_, reader_.Position(), reader_.Size(),
            reader_.ModifiedTime()};
  }

 private:
  // At the end of the file: the absent title line of a topic line that
  // ended it, if any, and then false.
  bool Ended();

  LineReader reader_;
  TextString sectionTitle_;
  SourceLine line_;
  std::uint32_t nextTopic_ = 0;
  std::uint32_t firstTopic_ = 0;
  std::uint32_t pieces_ = 0;
  std::uint32_t currentTopic_ = SourceLine::kNoTopic;
  std::uint32_t lineNumber_ = 1;  // physical line the next piece belongs to
  bool nextContinues_ = false;    // the next piece continues a physical line
  bool awaitTitle_ = false;       // the last piece was a topic line that opens a page
  bool done_ = true;
};

}  // namespace marlix
