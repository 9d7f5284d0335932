#include "engine/output_tally.h"

namespace marlix {

bool OutputTally::Create(OutputFile& file, const TextString& path) {
  if (file.Create(path)) return true;
  ++filesFailed_;
  return false;
}

bool OutputTally::OpenSource(LineReader& reader, const TextString& path) {
  if (reader.Open(path)) return true;
  ++sourcesUnreadable_;
  return false;
}

void OutputTally::Finish(OutputFile& file) {
  if (!file.IsOpen()) return;
  if (file.Close()) {
    ++filesWritten_;
  } else {
    ++filesFailed_;
  }
}

}  // namespace marlix
