#include "engine/source_scanner.h"

namespace marlix {

bool SourceScanner::Open(const TextString& path, std::uint32_t firstTopic) {
  Close();
  if (!reader_.Open(path)) return false;
  nextTopic_ = firstTopic;
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
  nextContinues_ = false;
  awaitTitle_ = false;
  done_ = true;
}

bool SourceScanner::Ended() {
  done_ = true;
  if (!awaitTitle_) return false;
  awaitTitle_ = false;
  line_ = SourceLine();
  line_.title = true;
  line_.absent = true;
  line_.topicNumber = currentTopic_;
  line_.lineNumber = lineNumber_ + 1;
  return true;
}

}  // namespace marlix
