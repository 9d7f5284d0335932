// What the command line tells the user about one conversion besides its
// outcome: collected from the engine's diagnostics while the run goes on,
// then printed as error details and warnings that name the file concerned.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "engine/conversion_driver.h"
#include "engine/diagnostics.h"

namespace marlix {

class RunReport : public Diagnostics {
 public:
  // Lost files named in the error details; the rest are counted.
  static constexpr std::size_t kLostFilesShown = 10;
  // Left-out files named when no valid source file was found.
  static constexpr std::size_t kLeftOutNamesShown = 5;
  // Line numbers given in a warning about several lines of a file.
  static constexpr std::size_t kLineNumbersShown = 5;

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
  void UnresolvedReferences(const char* path, std::uint32_t lineNumber, std::uint32_t count,
                            const char* name, std::size_t nameLength) override;

  // The lines after an outcome's title and text: where and why it failed.
  void PrintFailureDetails(ConversionOutcome outcome, std::FILE* err) const;
  // One line per warning, in the order of the source files.
  void PrintWarnings(std::FILE* err) const;

 private:
  void NoteLost(std::string line);
  void NoteLeftOutName(const char* path);
  void PrintLost(std::FILE* err) const;

  // Lines of one file that a warning is about: how many, and the first few.
  struct LineSet {
    std::size_t count = 0;  // occurrences, several on one line possible
    std::size_t lines = 0;
    std::vector<std::uint32_t> first;
    std::uint32_t last = 0;
    void Add(std::uint32_t lineNumber, std::size_t times = 1);
    std::string Describe() const;  // "(lines 3, 9, ...)" or "" for one line
  };
  struct SourceWarnings {
    std::string path;
    LineSet longLines;
    std::uint32_t utf8Line = 0;  // 0: does not look like UTF-8
    LineSet unresolved;
    std::string firstUnresolved;
  };
  SourceWarnings& WarningsFor(const char* path);

  ConversionRequest request_;
  bool verbose_;
  std::FILE* out_;
  std::string folderError_;                     // the destination folder line, if it failed
  std::string listingError_;                    // the source listing line, if it failed
  std::vector<std::string> leftOutNames_;       // "*.txt" files left out, bare names
  std::vector<std::string> warnings_;           // one line each, from discovery
  std::vector<SourceWarnings> sourceWarnings_;  // per source file, in reading order
  std::vector<std::string> lost_;               // the first kLostFilesShown lost files
  std::size_t lostCount_ = 0;
};

}  // namespace marlix
