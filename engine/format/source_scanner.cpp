#include "engine/format/source_scanner.h"

namespace marlix {

LineKind ClassifyLine(const char* line, std::uint32_t length) {
  if (length == 0) return LineKind::PlainLine;
  switch (line[0]) {
    case '\t':
      return LineKind::IndentedLine;
    case '^':
      return LineKind::CentredHeading;
    case '%':
      return LineKind::BoldHeading;
    default:
      return LineKind::PlainLine;
  }
}

bool SourceScanner::Open(const TextString& path, std::uint32_t firstTopic) {
  Close();
  if (!reader_.Open(path)) return false;
  nextTopic_ = firstTopic_ = firstTopic;
  // The title is line 1 read from its second byte; the body starts after
  // line 1's first piece read from the first byte. Both come from one read.
  LinePiece piece;
  if (reader_.PeekPiece(1, piece)) sectionTitle_.AssignN(piece.bytes, piece.length);
  done_ = !reader_.ReadPiece(piece);
  nextContinues_ = !piece.endsLine;
  return true;
}

void SourceScanner::Close() {
  reader_.Close();
  sectionTitle_.Empty();
  line_ = SourceLine();
  currentTopic_ = SourceLine::kNoTopic;
  lineNumber_ = 1;
  pieces_ = 0;
  nextContinues_ = false;
  awaitTitle_ = false;
  done_ = true;
}

bool SourceScanner::Next() {
  LinePiece piece;
  if (done_ || !reader_.ReadPiece(piece)) return Ended();
  if (!nextContinues_) ++lineNumber_;
  ++pieces_;
  line_.bytes = piece.bytes;
  line_.length = piece.length;
  line_.kind = ClassifyLine(piece.bytes, piece.length);
  line_.text = piece.length > 1 ? piece.bytes + 1 : "";
  line_.textLength = piece.length > 1 ? piece.length - 1 : 0;
  line_.lineNumber = lineNumber_;
  line_.continuation = nextContinues_;
  line_.cutAtZero = piece.cutAtZero;
  line_.last = reader_.AtEnd();
  nextContinues_ = !piece.endsLine;
  line_.topic = piece.length > 0 && piece.bytes[0] == ':';
  line_.title = awaitTitle_;
  line_.opensPage = line_.topic && !awaitTitle_;
  if (line_.topic) currentTopic_ = nextTopic_++;
  line_.topicNumber = currentTopic_;
  awaitTitle_ = line_.opensPage;
  return true;
}

bool SourceScanner::Ended() {
  done_ = true;
  if (!awaitTitle_) return false;
  awaitTitle_ = false;
  line_ = SourceLine();
  line_.title = true;
  line_.absent = true;
  line_.last = true;
  line_.topicNumber = currentTopic_;
  line_.lineNumber = lineNumber_ + 1;
  return true;
}

bool TextWithoutEndOfFileMark(const SourceLine& line, std::uint32_t& length) {
  constexpr unsigned char kDosEndOfFile = 0x1A;
  length = line.textLength;
  if (!line.last || line.length == 0 ||
      static_cast<unsigned char>(line.bytes[line.length - 1]) != kDosEndOfFile) {
    return true;
  }
  if (line.length == 1) return false;
  --length;
  return true;
}

}  // namespace marlix
