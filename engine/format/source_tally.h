// The run's source files as the steps after discovery read them again: a
// file that can no longer be opened, whose reading a failed read cut short,
// or that a later walk finds changed since the first one (other pieces,
// topic lines, bytes or size: its pages no longer match the catalogue), is
// counted and reported once, whichever steps failed on it.
#pragma once

#include <cstdint>

#include "engine/diagnostics.h"
#include "engine/format/source_discovery.h"
#include "engine/format/source_scanner.h"
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
  // Closes the file after its walk to its end; a walk that a failed read
  // ended counts the file as unreadable, and so does a walk that saw the file
  // otherwise than the first walk did.
  void End(SourceScanner& scanner, std::uint32_t fileIndex);

  unsigned Unreadable() const { return unreadable_; }

 private:
  // changed: the file was read in full, but not as the first walk saw it.
  void NoteUnreadable(std::uint32_t fileIndex, int error, bool changed = false);

  struct FileState {
    bool counted = false;  // already counted as unreadable
    bool walked = false;   // a walk ended at its end, and saw what seen holds
    SourceScanner::Seen seen;
  };

  const SourceFileList& files_;
  Diagnostics* diagnostics_;
  Slots<FileState> states_;  // by file index
  unsigned unreadable_ = 0;
};

}  // namespace marlix
