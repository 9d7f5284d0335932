// Counts what the output steps of one run could and could not do, so that the
// driver can tell a complete run from one that lost output: output files not
// created or not written in full, source files that could not be read again
// (each listed file counted once, whichever steps failed on it), and
// allocations, copies or appends that could not be made while it lived. A
// listener, if given, hears of each file as it is written or lost.
#pragma once

#include <cstdint>

#include "engine/diagnostics.h"
#include "engine/source_discovery.h"
#include "engine/source_scanner.h"
#include "support/output_file.h"
#include "support/text_string.h"

namespace marlix {

class OutputTally {
 public:
  explicit OutputTally(Diagnostics* diagnostics = nullptr);
  ~OutputTally();
  OutputTally(const OutputTally&) = delete;
  OutputTally& operator=(const OutputTally&) = delete;

  // Creates path as a new output file; a failure counts as a lost file.
  // One output file is tallied at a time: Finish it before the next Create.
  bool Create(OutputFile& file, const TextString& path);
  // Closes an open output file and counts it written in full or lost; a file
  // whose content the caller knows to be short (complete false) is lost.
  void Finish(OutputFile& file, bool complete = true);
  // The same for a file created and closed by someone else (a WriteBehind):
  // whether path could be created (error: why not), then, for a created
  // file, whether it was written in full and closed.
  void NoteCreated(const char* path, bool created, int error);
  void NoteFinished(const char* path, bool complete, int error);
  // Opens source file fileIndex of the list again; one that cannot be opened
  // counts as unreadable.
  bool OpenSource(SourceScanner& scanner, const SourceFileList& sourceFiles,
                  std::uint32_t fileIndex, std::uint32_t firstTopic = 0);
  // Closes a source file after its walk; a walk that a failed read ended
  // counts the file as unreadable.
  void EndSource(SourceScanner& scanner, std::uint32_t fileIndex);
  void NoteUnreadable(std::uint32_t fileIndex, int error = 0);

  // The source folder's listing failed part-way: files may have been missed.
  void NoteSourceListingFailed() { sourceListingFailed_ = true; }

  unsigned FilesWritten() const { return filesWritten_; }
  unsigned FilesFailed() const { return filesFailed_; }
  unsigned SourcesUnreadable() const { return sourcesUnreadable_; }
  // Allocations, copies or appends that failed since the tally was made.
  std::uint64_t LostAllocations() const;
  bool SourceListingFailed() const { return sourceListingFailed_; }
  bool Complete() const;

 private:
  Diagnostics* diagnostics_;
  const SourceFileList* sourceFiles_ = nullptr;  // to name an unreadable file
  TextString outputPath_;                        // the file being written, kept only for a listener
  unsigned filesWritten_ = 0;
  unsigned filesFailed_ = 0;
  unsigned sourcesUnreadable_ = 0;
  std::uint64_t failedAllocationsAtStart_ = 0;
  unsigned char* unreadable_ = nullptr;  // one flag per file index seen so far
  std::uint32_t flagCount_ = 0;
  bool sourceListingFailed_ = false;
};

}  // namespace marlix
