#include "engine/format/source_discovery.h"

#include <cerrno>

#include "support/file_names.h"
#include "support/line_reader.h"
#include "support/platform/file_system.h"

namespace marlix {
namespace {

// Why a file whose first byte is not "@" was left out. Reads on only for a
// listener: the conversion itself looks at the first byte alone.
void ReportLeftOut(LineReader& reader, const TextString& first, const TextString& path,
                   Diagnostics& diagnostics) {
  if (first.IsEmpty()) {
    // An empty result is an empty file, or a zero first byte.
    bool empty = !reader.AtEnd() && !reader.SkipLine();
    diagnostics.SourceLeftOut(path.CStr(), empty ? LeftOutReason::Empty : LeftOutReason::NoFileMark,
                              0, 0);
  } else if (first == "\xEF" && reader.ReadBytes(2) == "\xBB\xBF") {
    diagnostics.SourceLeftOut(path.CStr(), LeftOutReason::ByteOrderMark, 0, 0xEF);
  } else {
    diagnostics.SourceLeftOut(path.CStr(), LeftOutReason::NoFileMark, 0,
                              static_cast<unsigned char>(first[0]));
  }
}

// A listed file that is gone by now, or turned out not to be a regular
// file, was never a source; any other failure to open one may hide a source.
bool GoneOrNotAFile(int error) { return error == ENOENT || error == EISDIR || error == ENXIO; }

}  // namespace

bool DiscoverSourceFiles(const TextString& sourceFolderPath, SourceFileList& sourceFiles,
                         unsigned* unreadable, Diagnostics* diagnostics) {
  StringList names;
  bool listed = ListFiles(sourceFolderPath, "*.txt", names);
  if (!listed && diagnostics != nullptr) {
    diagnostics->ListingFailed(sourceFolderPath.CStr(), platform::Files().LastError());
  }
  LineReader reader;
  for (std::uint32_t i = 0; i < names.Count(); ++i) {
    TextString path = JoinPath(sourceFolderPath, *names.Ref(i));
    if (!reader.Open(path)) {
      const int error = platform::Files().LastError();
      if (GoneOrNotAFile(error)) {
        if (diagnostics != nullptr) {
          diagnostics->SourceLeftOut(path.CStr(), LeftOutReason::CannotOpen, error, 0);
        }
      } else {
        if (unreadable != nullptr) ++*unreadable;
        if (diagnostics != nullptr) diagnostics->SourceUnreadable(path.CStr(), error);
      }
      continue;
    }
    // An empty file has no first byte and is left out like any other.
    TextString first = reader.ReadBytes(1);
    if (first == "@") {
      sourceFiles.Add(path);
    } else if (reader.ReadFailed()) {
      if (unreadable != nullptr) ++*unreadable;
      if (diagnostics != nullptr) diagnostics->SourceUnreadable(path.CStr(), reader.ReadError());
    } else if (diagnostics != nullptr) {
      ReportLeftOut(reader, first, path, *diagnostics);
    }
    reader.Close();
  }
  return listed;
}

}  // namespace marlix
