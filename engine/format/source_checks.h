// Checks of the source text that change nothing in the output but tell a
// listener what will likely come out wrong: lines longer than the 80-byte
// pieces they are read in, carriage returns that end no line, zero bytes that
// cut a line short, text that looks like UTF-8 rather than code page 437, and
// "~" references that name no topic. The walk over the topic pages
// feeds it every piece of every source file, and the count of unresolved
// references that the page writers found in each line they rendered.
#pragma once

#include <cstdint>

#include "engine/diagnostics.h"
#include "engine/format/source_scanner.h"
#include "engine/format/topic_catalogue.h"
#include "support/text_string.h"

namespace marlix {

class SourceChecks {
 public:
  // Without a listener every check does nothing.
  explicit SourceChecks(Diagnostics* diagnostics) : diagnostics_(diagnostics) {}

  // Starts on a source file whose line 1 carries sectionTitle.
  void BeginFile(const TextString& path, const TextString& sectionTitle);
  // One piece of the file, in reading order.
  void Check(const SourceLine& line);
  // A rendered line in which RenderLine found unresolved references.
  void Unresolved(const SourceLine& line, std::uint32_t count, const TopicCatalogue& catalogue);
  // Ends the file: tells whether it looks like UTF-8.
  void EndFile();

 private:
  void ScanUtf8(const char* bytes, std::uint32_t length, bool continuation,
                std::uint32_t lineNumber);

  Diagnostics* diagnostics_;
  TextString path_;
  std::uint32_t lastLongLine_ = 0;
  // UTF-8 scan: continuation bytes still due, complete multi-byte sequences
  // seen, the line of the first, and whether a byte broke the encoding.
  std::uint32_t pending_ = 0;
  std::uint32_t sequences_ = 0;
  std::uint32_t firstSequenceLine_ = 0;
  std::uint32_t sequenceLine_ = 0;
  bool notUtf8_ = false;
};

}  // namespace marlix
