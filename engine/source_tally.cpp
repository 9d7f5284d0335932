#include "engine/source_tally.h"

namespace marlix {

SourceTally::SourceTally(const SourceFileList& files, Diagnostics* diagnostics)
    : files_(files), diagnostics_(diagnostics) {
  // A flag that cannot be had only means a file may be counted twice; the
  // lost allocation makes the run incomplete anyway.
  for (std::uint32_t i = 0; i < files.Count(); ++i) counted_.Append(false);
}

bool SourceTally::Open(SourceScanner& scanner, std::uint32_t fileIndex,
                       std::uint32_t firstTopic) {
  const TextString* path = files_.Ref(fileIndex);
  if (path != nullptr && scanner.Open(*path, firstTopic)) return true;
  NoteUnreadable(fileIndex, platform::Files().LastError());
  return false;
}

void SourceTally::End(SourceScanner& scanner, std::uint32_t fileIndex) {
  if (scanner.ReadFailed()) NoteUnreadable(fileIndex, scanner.ReadError());
  scanner.Close();
}

void SourceTally::NoteUnreadable(std::uint32_t fileIndex, int error) {
  if (fileIndex < counted_.Count()) {
    if (counted_[fileIndex]) return;
    counted_[fileIndex] = true;
  }
  ++unreadable_;
  if (diagnostics_ != nullptr) {
    const TextString* path = files_.Ref(fileIndex);
    diagnostics_->SourceNotReread(path ? path->CStr() : "", error);
  }
}

}  // namespace marlix
