// What a conversion can tell a front end beyond its outcome: why a step
// failed, which files it left out or lost, and what in the sources is likely
// to come out wrong. Every call has a default that does nothing, so a front
// end overrides only what it shows; a run given no listener reports nothing
// and writes exactly the same files.
//
// Paths are the ones the engine used (JoinPath of the folder and the name).
// An error is an errno value (ENOENT, EEXIST, EACCES, ENOSPC, ...) taken
// straight after the failed platform call; 0 when no reason is known.
#pragma once

#include <cstddef>
#include <cstdint>

namespace marlix {

// Why a "*.txt" file of the source folder is not taken as a source file.
enum class LeftOutReason {
  CannotOpen,     // gone since the listing, or not a regular file; error tells which
  Empty,          // no first byte
  ByteOrderMark,  // starts with the UTF-8 byte-order mark EF BB BF
  NoFileMark,     // its first byte (given) is not "@"
};

// The output steps of a run, in the order they run; the closing files are
// the edition's own (the classic edition's help project files, for one).
enum class ConversionStep { IndexPage, SectionPages, TopicPages, ClosingFiles };

class Diagnostics {
 public:
  virtual ~Diagnostics() = default;

  // NAME is not one folder name (it holds a separator, or is "." or ".."),
  // so no folder was made.
  virtual void FolderNameRefused(const char* /*name*/) {}
  // The destination folder could not be made.
  virtual void FolderNotCreated(const char* /*path*/, int /*error*/) {}
  // The new destination folder could not be opened to write into it.
  virtual void FolderNotHeld(const char* /*path*/, int /*error*/) {}
  // A folder could not be listed (or the listing broke off).
  virtual void ListingFailed(const char* /*folder*/, int /*error*/) {}
  // A "*.txt" file of the source folder was left out; firstByte is 0 to 255
  // for NoFileMark.
  virtual void SourceLeftOut(const char* /*path*/, LeftOutReason /*reason*/, int /*error*/,
                             int /*firstByte*/) {}
  // A "*.txt" file of the source folder could not be opened or read to learn
  // whether it is a source file: a source may be lost.
  virtual void SourceUnreadable(const char* /*path*/, int /*error*/) {}
  // A source file of the list could not be opened again by a later step.
  virtual void SourceNotReread(const char* /*path*/, int /*error*/) {}
  // A source file read in full by a later step was not as the first step
  // read it (it changed while it was converted): its pages may be missing.
  virtual void SourceChanged(const char* /*path*/) {}
  // An output file could not be created, or not written in full.
  virtual void OutputNotCreated(const char* /*path*/, int /*error*/) {}
  virtual void OutputNotWritten(const char* /*path*/, int /*error*/) {}
  // An output file was created, written in full and closed.
  virtual void OutputWritten(const char* /*path*/) {}
  // The topic catalogue holds this many topics and names.
  virtual void CatalogueBuilt(std::uint32_t /*topics*/, std::uint32_t /*names*/) {}
  // An output step has ended, having written and lost this many files.
  virtual void StepFinished(ConversionStep /*step*/, unsigned /*written*/, unsigned /*lost*/) {}

  // What in a source file will likely come out wrong, told while the topic
  // pages are written (each source line is looked at once per run).
  // Physical line lineNumber (from 1) is longer than the 80-byte pieces lines
  // are read in; each further piece starts with a byte read as a format column.
  virtual void LongLine(const char* /*path*/, std::uint32_t /*lineNumber*/) {}
  // Physical line lineNumber holds a carriage return not followed by a line
  // feed, which ends no line: the lines it separates are read as one.
  virtual void LoneCarriageReturn(const char* /*path*/, std::uint32_t /*lineNumber*/) {}
  // Physical line lineNumber holds a zero byte: the bytes from it to the end
  // of its 80-byte piece are left out.
  virtual void ZeroByte(const char* /*path*/, std::uint32_t /*lineNumber*/) {}
  // The file holds valid multi-byte UTF-8 sequences and nothing that is not
  // UTF-8, the first on line firstLine: it is likely not code page 437.
  virtual void LooksLikeUtf8(const char* /*path*/, std::uint32_t /*firstLine*/) {}
  // count "~" references on line lineNumber name no topic (they become bold
  // text); name is the first of them.
  virtual void UnresolvedReferences(const char* /*path*/, std::uint32_t /*lineNumber*/,
                                    std::uint32_t /*count*/, const char* /*name*/,
                                    std::size_t /*nameLength*/) {}
};

}  // namespace marlix
