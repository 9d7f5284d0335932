// What the command line tells the user about one conversion besides its
// outcome: collected from the engine's diagnostics while the run goes on,
// then printed as error details and warnings that name the file concerned.
// It allocates only through the engine's strings and lists, which fail
// softly: when memory runs out a line that could not be kept is left out
// (lost files are still counted), never a run ended by an exception. Bytes
// of paths and names are shown escaped where a terminal would act on them
// (ShowBytes).
#pragma once

#include <cstdint>
#include <cstdio>

#include "engine/conversion_driver.h"
#include "engine/diagnostics.h"
#include "support/indexed_lists.h"
#include "support/text_string.h"

namespace marlix {

class RunReport : public Diagnostics {
 public:
  // Lost files named in the error details; the rest are counted.
  static constexpr std::uint32_t kLostFilesShown = 10;
  // Left-out files named when no valid source file was found.
  static constexpr std::uint32_t kLeftOutNamesShown = 5;
  // Line numbers given in a warning about several lines of a file.
  static constexpr std::uint32_t kLineNumbersShown = 5;

  // With verbose, each output file and a count per step go to out as the
  // run goes on.
  RunReport(const ConversionRequest& request, bool verbose, std::FILE* out);

  void FolderNameRefused(const char* name) override;
  void FolderNotCreated(const char* path, int error) override;
  void FolderNotHeld(const char* path, int error) override;
  void ListingFailed(const char* folder, int error) override;
  void SourceLeftOut(const char* path, LeftOutReason reason, int error, int firstByte) override;
  void SourceUnreadable(const char* path, int error) override;
  void SourceNotReread(const char* path, int error) override;
  void SourceChanged(const char* path) override;
  void OutputNotCreated(const char* path, int error) override;
  void OutputNotWritten(const char* path, int error) override;
  void OutputWritten(const char* path) override;
  void CatalogueBuilt(std::uint32_t topics, std::uint32_t names) override;
  void StepFinished(ConversionStep step, unsigned written, unsigned lost) override;
  void LongLine(const char* path, std::uint32_t lineNumber) override;
  void LooksLikeUtf8(const char* path, std::uint32_t firstLine) override;
  void LoneCarriageReturn(const char* path, std::uint32_t lineNumber) override;
  void ZeroByte(const char* path, std::uint32_t lineNumber) override;
  void UnresolvedReferences(const char* path, std::uint32_t lineNumber, std::uint32_t count,
                            const char* name, std::size_t nameLength) override;

  // The lines after an outcome's title and text: where and why it failed.
  // Printing allocates nothing.
  void PrintFailureDetails(ConversionOutcome outcome, std::FILE* err) const;
  // One line per warning, in the order of the source files.
  void PrintWarnings(std::FILE* err) const;

 private:
  void NoteLost(TextString&& line);
  void NoteLeftOutName(const char* path);
  void PrintLost(std::FILE* err) const;

  // Lines of one file that a warning is about: how many, and the first few.
  struct LineSet {
    std::uint32_t count = 0;  // occurrences, several on one line possible
    std::uint32_t lines = 0;
    std::uint32_t first[kLineNumbersShown] = {};
    std::uint32_t last = 0;
    void Add(std::uint32_t lineNumber, std::uint32_t times = 1);
    void Print(std::FILE* file) const;  // " (lines 3, 9, ...)", nothing for one line
  };
  struct SourceWarnings {
    TextString path;
    TextString shownPath;  // escaped for printing
    LineSet longLines;
    LineSet loneReturns;
    LineSet zeroBytes;
    std::uint32_t utf8Line = 0;  // 0: does not look like UTF-8
    LineSet unresolved;
    TextString firstUnresolved;
  };
  // nullptr when memory for a new file's warnings runs out.
  SourceWarnings* WarningsFor(const char* path);

  ConversionRequest request_;
  bool verbose_;
  std::FILE* out_;
  TextString shownSourceFolder_;         // escaped for printing
  TextString folderError_;               // the destination folder line, if it failed
  TextString listingError_;              // the source listing line, if it failed
  StringList leftOutNames_;              // "*.txt" files left out, bare names
  std::uint32_t leftOutCount_ = 0;       // the same, counted
  StringList warnings_;                  // one line each, from discovery
  Slots<SourceWarnings> sourceWarnings_;  // per source file, in reading order
  StringList lost_;                      // the first kLostFilesShown lost files
  std::uint32_t lostCount_ = 0;
};

// Appends bytes to text as a terminal may show them: printable ASCII as it
// is, every other byte (controls, DEL and the upper half, whose meaning the
// terminal cannot know) escaped as \n, \r, \t or \xHH. False (text then
// empty) when memory runs out.
bool ShowBytes(TextString& text, const char* bytes, std::size_t length);

}  // namespace marlix
