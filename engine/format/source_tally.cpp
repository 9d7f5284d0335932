#include "engine/format/source_tally.h"

namespace marlix {

SourceTally::SourceTally(const SourceFileList& files, Diagnostics* diagnostics)
    : files_(files), diagnostics_(diagnostics) {
  // A state that cannot be had only means a file may be counted twice, or
  // not compared; the lost allocation makes the run incomplete anyway.
  for (std::uint32_t i = 0; i < files.Count(); ++i) states_.Append(FileState());
}

bool SourceTally::Open(SourceScanner& scanner, std::uint32_t fileIndex,
                       std::uint32_t firstTopic) {
  const TextString* path = files_.Ref(fileIndex);
  if (path != nullptr && scanner.Open(*path, firstTopic)) return true;
  NoteUnreadable(fileIndex, platform::Files().LastError());
  return false;
}

void SourceTally::End(SourceScanner& scanner, std::uint32_t fileIndex) {
  if (scanner.ReadFailed()) {
    NoteUnreadable(fileIndex, scanner.ReadError());
  } else if (fileIndex < states_.Count()) {
    FileState& state = states_[fileIndex];
    const SourceScanner::Seen seen = scanner.WalkSeen();
    if (!state.walked) {
      state.walked = true;
      state.seen = seen;
    } else if (!(seen == state.seen)) {
      NoteUnreadable(fileIndex, 0, true);
    }
  }
  scanner.Close();
}

void SourceTally::NoteUnreadable(std::uint32_t fileIndex, int error, bool changed) {
  if (fileIndex < states_.Count()) {
    if (states_[fileIndex].counted) return;
    states_[fileIndex].counted = true;
  }
  ++unreadable_;
  if (diagnostics_ != nullptr) {
    const TextString* path = files_.Ref(fileIndex);
    if (changed) {
      diagnostics_->SourceChanged(path ? path->CStr() : "");
    } else {
      diagnostics_->SourceNotReread(path ? path->CStr() : "", error);
    }
  }
}

}  // namespace marlix
