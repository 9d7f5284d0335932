// Counts what the output steps of one run could and could not do, so that the
// driver can tell a complete run from one that lost output.
#pragma once

#include "support/line_reader.h"
#include "support/output_file.h"
#include "support/text_string.h"

namespace marlix {

class OutputTally {
 public:
  // Creates path as a new output file; a failure counts as a lost file.
  bool Create(OutputFile& file, const TextString& path);
  // Closes an open output file and counts it written in full or lost.
  void Finish(OutputFile& file);
  // Opens a source file of the list again; one that cannot be opened counts
  // as unreadable.
  bool OpenSource(LineReader& reader, const TextString& path);

  unsigned FilesWritten() const { return filesWritten_; }
  unsigned FilesFailed() const { return filesFailed_; }
  unsigned SourcesUnreadable() const { return sourcesUnreadable_; }
  bool Complete() const { return filesFailed_ == 0 && sourcesUnreadable_ == 0; }

 private:
  unsigned filesWritten_ = 0;
  unsigned filesFailed_ = 0;
  unsigned sourcesUnreadable_ = 0;
};

}  // namespace marlix
