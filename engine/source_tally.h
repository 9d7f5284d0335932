// The run's source files as the steps after discovery read them again: a
// file that can no longer be opened, or whose reading a failed read cut
// short, is counted and reported once, whichever steps failed on it.
#pragma once

#include <cstdint>

#include "engine/diagnostics.h"
#include "engine/source_discovery.h"
#include "engine/source_scanner.h"
#include "support/indexed_lists.h"

namespace marlix {

class SourceTally {
 public:
  SourceTally(const SourceFileList& files, Diagnostics* diagnostics);
  SourceTally(const SourceTally&) = delete;
  SourceTally& operator=(const SourceTally&) = delete;

  const SourceFileList& Files() const { return files_; }
  std::uint32_t Count() const { return files_.Count(); }

  // Opens file fileIndex with scanner, its first topic line numbered
  // firstTopic; one that cannot be opened counts as unreadable.
  bool Open(SourceScanner& scanner, std::uint32_t fileIndex, std::uint32_t firstTopic);
  // Closes the file after its walk; a walk that a failed read ended counts
  // the file as unreadable.
  void End(SourceScanner& scanner, std::uint32_t fileIndex);

  unsigned Unreadable() const { return unreadable_; }

 private:
  void NoteUnreadable(std::uint32_t fileIndex, int error);

  const SourceFileList& files_;
  Diagnostics* diagnostics_;
  Slots<bool> counted_;  // by file index: already counted as unreadable
  unsigned unreadable_ = 0;
};

}  // namespace marlix
