// Where every file of a run goes. The new folder is held open from the
// moment the run has made it, so that renaming it or putting a link in its
// place cannot send the output elsewhere; each file is named by its bare
// name, created new inside it (nothing that exists is ever replaced), written
// with one call and closed, and counted as written in full or lost. A
// listener hears of each file as it is written or lost.
//
// An edition whose files lie in folders of their own makes each one new
// inside the current folder and enters it (held in turn, reached through
// its parent's handle only); files go to the folder entered last until it
// is left again.
//
// An edition written as one file instead enters an archive (ArchiveWriter):
// the file is created new in the current folder like any other, and every
// file written until the archive is left becomes one of its entries, counted
// and told the same way.
//
// Pages are built in memory by their writers, in a TextString the writer
// owns and reuses, and handed over finished.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/diagnostics.h"
#include "engine/output/archive_writer.h"
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

  // Makes the new folder name inside the current folder (nothing that exists
  // is reused), holds it and makes it the current folder: every Claim,
  // Write and List after it goes there. At most kMaxFolderDepth folders
  // deep. False, the listener told, when it cannot be made or held.
  static constexpr unsigned kMaxFolderDepth = 3;
  bool EnterFolder(const char* name);
  // Lets the current folder go and goes back to the one it was made in;
  // nothing when no folder was entered.
  void LeaveFolder();

  // Creates the archive name new in the current folder; until LeaveArchive
  // every Write adds an entry to it (deflated; WriteStored keeps the bytes
  // as they are), named by its path inside the archive and told as the
  // archive's path joined with it. An entry not written in full is lost,
  // and since the archive cannot be mended, so is every entry after it.
  // False, the listener told, when the archive cannot be created.
  bool EnterArchive(const char* name);
  bool InArchive() const { return archive_.IsOpen(); }
  // The time every entry added from now on carries: seconds since 1970,
  // UTC, as ArchiveInstant clamps it (1980-01-01 until it is set).
  void SetArchiveTime(std::int64_t instant) { archive_.SetTime(instant); }
  // Writes the archive's directory and closes it. False when it is not
  // whole (an entry lost, or the directory not written): the archive is then
  // counted lost as well and told as not written in full, so that the
  // partial file is named.
  bool LeaveArchive();
  bool WriteStored(const char* name, const char* bytes, std::size_t length);

  // Creates the file name now, in the current folder, for a later Write of
  // the same name to fill (in whichever folder is current then): a file that
  // must be creatable before anything else is written. name must stay valid
  // until then. False, the file counted lost, when it cannot be created.
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
  // order; false when the folder could not be listed to its end, whyShort
  // then holding the platform's reason (0 otherwise).
  bool List(const char* pattern, StringList& names, int& whyShort) const;

  unsigned Written() const { return written_; }
  unsigned Lost() const { return lost_; }

  // The path of name in the current folder, as a listener hears it: the
  // held folder's path joined with the folders entered and name (name alone
  // when memory ran out); valid until the next call.
  const char* PathOf(const char* name);

 private:
  // The path a listener is told for name: where it was claimed, for the
  // claimed file.
  const char* ToldPath(const char* name, bool claimed);
  void NoteLost(const char* name, bool created, int error, bool claimed = false);
  // Whether a file written completely is whole: not built while memory ran
  // out, nor known short by its writer; error tells why not.
  bool Whole(bool complete, bool whole, int whyShort, int& error);
  bool WriteEntry(const char* name, const char* bytes, std::size_t length,
                  ArchiveWriter::Method method, bool whole, int whyShort);

  Diagnostics* diagnostics_;
  TextString prefix_;  // the current folder's path and a separator
  TextString path_;    // the path of the file reported last
  platform::FolderHandle folder_ = platform::kNoFolder;  // the current folder
  // The folders the entered ones were made in, outermost first, each with
  // the length of its prefix.
  struct Outer {
    platform::FolderHandle folder;
    std::uint32_t prefixLength;
  };
  Outer outer_[kMaxFolderDepth] = {};
  unsigned depth_ = 0;
  const char* claimedName_ = nullptr;
  TextString claimedPath_;  // where it was claimed: the folder may be left before it is written
  platform::FileHandle claimedFile_ = platform::kNoFile;
  unsigned written_ = 0;
  unsigned lost_ = 0;
  std::uint64_t failedAllocations_;  // the count when the last file was written
  ArchiveWriter archive_;            // the archive entered, while open
  TextString archiveName_;
  std::uint32_t archivePrefixLength_ = 0;  // of the folder the archive is in
  bool archiveWhole_ = true;               // no entry lost so far
  int archiveError_ = 0;                   // why the first entry was lost
};

}  // namespace marlix
