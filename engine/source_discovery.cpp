#include "engine/source_discovery.h"

#include "support/file_names.h"
#include "support/line_reader.h"

namespace marlix {
bool DiscoverSourceFiles(const TextString& sourceFolderPath, SourceFileList& sourceFiles,
                         unsigned* unreadable) {
  StringList names;
  bool listed = ListFiles(sourceFolderPath, "*.txt", names);
  LineReader reader;
  for (std::uint32_t i = 0; i < names.Count(); ++i) {
    TextString path = JoinPath(sourceFolderPath, *names.Ref(i));
    if (!reader.Open(path)) continue;
    // An empty file has no first byte and is left out like any other.
    if (reader.ReadBytes(1) == "@") sourceFiles.Add(path);
    if (reader.ReadFailed() && unreadable != nullptr) ++*unreadable;
    reader.Close();
  }
  return listed;
}

}  // namespace marlix
