// Where every file of a run goes. The new folder is held open from the
// moment the run has made it, so that renaming it or putting a link in its
// place cannot send the output elsewhere; each file is named by its bare
// name, created new inside it (nothing that exists is ever replaced), written
// with one call and closed, and counted as written in full or lost. A
// listener hears of each file as it is written or lost.
//
// Pages are built in memory by their writers, in a TextString the writer
// owns and reuses, and handed over finished.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/diagnostics.h"
#include "support/indexed_lists.h"
#include "support/platform/file_system.h"
#include "support/text_string.h"

namespace marlix {

// Appends a line to text that becomes a file: CR LF first unless text is
// still empty. Lines are separated, never ended, so no file ends in a line
// break.
inline void AppendLine(TextString& text, const char* line, std::size_t length) {
  if (!text.IsEmpty()) text.AppendBytes("\r\n", 2);
  text.AppendBytes(line, length);
}
inline void AppendLine(TextString& text, const char* line) {
  AppendLine(text, line, std::strlen(line));
}
inline void AppendLine(TextString& text, const TextString& line) {
  AppendLine(text, line.CStr(), line.Length());
}

class PageSink {
 public:
  explicit PageSink(Diagnostics* diagnostics = nullptr);
  // Lets the folder go; a claimed file that was never written counts as lost.
  ~PageSink();
  PageSink(const PageSink&) = delete;
  PageSink& operator=(const PageSink&) = delete;

  // Holds the existing folder at path, the run's new one (a link there is
  // refused). False when it cannot be held.
  bool Hold(const TextString& path);

  // Creates the file name now, for a later Write of the same name to fill:
  // a file that must be creatable before anything else is written. name
  // must stay valid until then. False, the file counted lost, when it
  // cannot be created.
  bool Claim(const char* name);
  // Creates the file name (or takes the claimed one), writes bytes to it and
  // closes it. False when it was not written in full: it is then counted
  // lost, and so is a file built while memory ran out, since its bytes may
  // be short, and one whose writer knows it to be short (whole false, for
  // the reason whyShort).
  bool Write(const char* name, const char* bytes, std::size_t length, bool whole = true,
             int whyShort = 0);
  bool Write(const char* name, const TextString& bytes, bool whole = true, int whyShort = 0) {
    return Write(name, bytes.CStr(), bytes.Length(), whole, whyShort);
  }

  // Appends the names of the folder's files that match pattern, in listing
  // order; false when the folder could not be listed to its end.
  bool List(const char* pattern, StringList& names) const;

  unsigned Written() const { return written_; }
  unsigned Lost() const { return lost_; }

 private:
  // The file's path for a listener: the folder's path joined with name.
  TextString PathOf(const char* name) const;
  void NoteLost(const char* name, bool created, int error);

  Diagnostics* diagnostics_;
  TextString path_;
  platform::FolderHandle folder_ = platform::kNoFolder;
  const char* claimedName_ = nullptr;
  platform::FileHandle claimedFile_ = platform::kNoFile;
  unsigned written_ = 0;
  unsigned lost_ = 0;
  std::uint64_t failedAllocations_;  // the count when the last file was written
};

}  // namespace marlix
