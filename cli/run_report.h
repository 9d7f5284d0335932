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

  // With verbose, each output file and a count per step go to out as the
  // run goes on.
  RunReport(const ConversionRequest& request, bool verbose, std::FILE* out);

  void FolderNotCreated(const char* path, int error) override;
  void ListingFailed(const char* folder, int error) override;
  void SourceLeftOut(const char* path, LeftOutReason reason, int error, int firstByte) override;
  void SourceNotReread(const char* path, int error) override;
  void OutputNotCreated(const char* path, int error) override;
  void OutputNotWritten(const char* path, int error) override;
  void OutputWritten(const char* path) override;
  void CatalogueBuilt(std::uint32_t topics, std::uint32_t names) override;
  void StepFinished(ConversionStep step, unsigned written, unsigned lost) override;

  // The lines after an outcome's title and text: where and why it failed.
  void PrintFailureDetails(ConversionOutcome outcome, std::FILE* err) const;
  // One line per warning, in the order of the source files.
  void PrintWarnings(std::FILE* err) const;

 private:
  void NoteLost(std::string line);

  ConversionRequest request_;
  bool verbose_;
  std::FILE* out_;
  std::string folderError_;                // the destination folder line, if it failed
  std::string listingError_;               // the source listing line, if it failed
  std::vector<std::string> leftOutNames_;  // "*.txt" files left out, bare names
  std::vector<std::string> warnings_;
  std::vector<std::string> lost_;  // the first kLostFilesShown lost files
  std::size_t lostCount_ = 0;
};

}  // namespace marlix
