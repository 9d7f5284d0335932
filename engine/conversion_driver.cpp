#include "engine/conversion_driver.h"

#include "engine/editions/edition.h"
#include "engine/editions/editions.h"
#include "engine/format/page_names.h"
#include "engine/output/page_sink.h"
#include "engine/format/source_checks.h"
#include "engine/format/source_discovery.h"
#include "engine/format/source_tally.h"
#include "engine/format/topic_catalogue.h"
#include "support/allocation.h"
#include "support/platform/file_system.h"

namespace marlix {

OutcomeMessage DescribeOutcome(ConversionOutcome outcome) {
  switch (outcome) {
    case ConversionOutcome::Completed:
      break;
    case ConversionOutcome::InfoMissing:
      return {"Please Fill Information then try again.", "Info Missing", MessageKind::Warning};
    case ConversionOutcome::DestinationNotCreated:
      return {"Unable to create destination folder.", "Error", MessageKind::Error};
    case ConversionOutcome::NoValidSourceFiles:
      return {"No valid Marlix 2.10 text files available in selected path.", "Unknown Path",
              MessageKind::Warning};
    case ConversionOutcome::UnexpectedError:
      // The blank after the full stop belongs to the message.
      return {"Unexpected error during conversion. ", "Error", MessageKind::Error};
    case ConversionOutcome::IncompleteOutput:
      return {"Conversion finished, but some output files could not be written.",
              "Incomplete Conversion", MessageKind::Warning};
  }
  return {"", "", MessageKind::None};
}

TextString DestinationFolder(const ConversionRequest& request) {
  const char* suffix = EditionOf(request.edition).folderSuffix;
  if (suffix == nullptr) {
    return JoinPath(request.destinationFolderPath, request.destinationFolderName);
  }
  const TextString name = WithSuffix(request.destinationFolderName, suffix);
  // A name that could not be made names no folder.
  return name.IsEmpty() ? TextString() : JoinPath(request.destinationFolderPath, name);
}

const TextString& ReferenceTitle(const ConversionRequest& request) {
  return request.title.IsEmpty() ? request.destinationFolderName : request.title;
}

ConversionOutcome RunConversion(const ConversionRequest& request) {
  ConversionSummary summary;
  return RunConversion(request, summary);
}

namespace {

// What one run holds from the moment its folder is made.
struct Run {
  bool oneFile;  // the edition is written as one file, made before the steps
  TopicCatalogue& catalogue;
  PageSink& sink;
  Diagnostics* diagnostics;
  TextString contentsPage;  // its path, once claimed
};

// Runs one output step and tells the listener how many files it wrote and lost.
template <typename Step>
void RunStep(ConversionStep step, Run& run, Step&& work) {
  const unsigned written = run.sink.Written();
  const unsigned lost = run.sink.Lost();
  work();
  if (run.diagnostics != nullptr) {
    run.diagnostics->StepFinished(step, run.sink.Written() - written, run.sink.Lost() - lost);
  }
}

// Every line of every source file the catalogue could read, in reading
// order, to the edition's topic page writer and past the source checks.
void WalkTopicPages(Edition& edition, SourceTally& sources, Run& run) {
  SourceChecks checks(run.diagnostics);
  SourceScanner scanner;
  for (std::uint32_t fileIndex = 0; fileIndex < sources.Count(); ++fileIndex) {
    // Topic numbers as the catalogue gave them, so that every topic lands on
    // the page the catalogue names for it.
    if (!run.catalogue.Section(fileIndex).read ||
        !sources.Open(scanner, fileIndex, run.catalogue.FirstTopicOf(fileIndex))) {
      continue;
    }
    checks.BeginFile(*sources.Files().Ref(fileIndex), scanner.SectionTitle());
    edition.BeginTopicFile(fileIndex);
    while (scanner.Next()) {
      const SourceLine& line = scanner.Line();
      checks.Check(line);
      const std::uint32_t unresolved = edition.TopicLine(line, run.sink);
      if (unresolved > 0) checks.Unresolved(line, unresolved, run.catalogue);
    }
    checks.EndFile();
    sources.End(scanner, fileIndex);
  }
  edition.EndTopicPages(run.sink);
}

// The steps every edition runs, from the catalogue to the closing files.
// False when the contents page cannot be made, which ends the run early.
bool WriteEdition(Edition& edition, SourceTally& sources, Run& run) {
  if (!edition.Prepare(run.sink)) return false;
  if (!run.oneFile) {
    if (!run.sink.Claim(kIndexPageName)) return false;
    run.contentsPage = run.sink.PathOf(kIndexPageName);
  }
  // From here every step runs whatever the one before could not do; what
  // was lost is counted and decides between Completed and IncompleteOutput.
  BuildTopicCatalogue(sources, run.catalogue);
  if (run.diagnostics != nullptr) {
    run.diagnostics->CatalogueBuilt(run.catalogue.TopicCount(), run.catalogue.Count());
  }
  RunStep(ConversionStep::IndexPage, run, [&] { edition.WriteIndexPage(run.sink); });
  RunStep(ConversionStep::SectionPages, run, [&] {
    for (std::uint32_t fileIndex = 0; fileIndex < sources.Count(); ++fileIndex) {
      if (run.catalogue.Section(fileIndex).read) edition.WriteSectionPage(fileIndex, run.sink);
    }
  });
  RunStep(ConversionStep::TopicPages, run, [&] { WalkTopicPages(edition, sources, run); });
  RunStep(ConversionStep::ClosingFiles, run, [&] { edition.WriteClosingFiles(run.sink); });
  return true;
}

// The steps over whichever edition the row makes.
class Steps final : public EditionSteps {
 public:
  Steps(SourceTally& sources, struct Run& run) : sources_(sources), run_(run) {}
  bool Run(Edition& edition) override { return WriteEdition(edition, sources_, run_); }
  const SourceFileList& SourceFiles() const override { return sources_.Files(); }

 private:
  SourceTally& sources_;
  struct Run& run_;
};

ConversionOutcome Convert(const ConversionRequest& request, ConversionSummary& summary,
                          Diagnostics* diagnostics) {
  summary = ConversionSummary();
  // Taken first, so that memory lost anywhere in the run is seen.
  const std::uint64_t failedAllocations = FailedAllocations();
  if (request.sourceFolderPath.IsEmpty() || request.destinationFolderPath.IsEmpty() ||
      request.destinationFolderName.IsEmpty()) {
    return ConversionOutcome::InfoMissing;
  }
  const EditionRow& edition = EditionOf(request.edition);
  if (!edition.available) return ConversionOutcome::UnexpectedError;
  // NAME is made as one new folder directly inside the destination folder,
  // never followed elsewhere ("..", "sub/x"); a docset's NAME is looked at
  // before its suffix is added.
  if (!IsOneName(request.destinationFolderName)) {
    if (diagnostics != nullptr) {
      diagnostics->FolderNameRefused(request.destinationFolderName.CStr());
    }
    return ConversionOutcome::DestinationNotCreated;
  }

  // Only the last component is made; an existing folder is never reused, so
  // nothing already on disk can be overwritten.
  const TextString folder = DestinationFolder(request);
  const bool oneFile = edition.startPage == StartPage::OutputFile;
  PageSink sink(diagnostics);
  if (oneFile) {
    // An edition written as one file makes it new where the others make
    // their folder, held through the existing destination folder: a file of
    // that name is never replaced. Its entries go into it.
    if (folder.IsEmpty() || !sink.Hold(request.destinationFolderPath)) {
      if (diagnostics != nullptr) {
        diagnostics->OutputNotCreated(folder.CStr(), platform::Files().LastError());
      }
      return ConversionOutcome::DestinationNotCreated;
    }
    if (!sink.EnterArchive(WithSuffix(request.destinationFolderName, edition.folderSuffix).CStr())) {
      return ConversionOutcome::DestinationNotCreated;
    }
  } else if (folder.IsEmpty() || !platform::Files().MakeFolder(folder.CStr())) {
    if (diagnostics != nullptr) {
      diagnostics->FolderNotCreated(folder.CStr(), platform::Files().LastError());
    }
    return ConversionOutcome::DestinationNotCreated;
  }
  // Held to the end of the run: every output file is created through it, so
  // renaming the folder or putting a link in its place cannot send the
  // output elsewhere. A folder that cannot be held is left empty.
  if (!oneFile && !sink.Hold(folder)) {
    if (diagnostics != nullptr) {
      diagnostics->FolderNotHeld(folder.CStr(), platform::Files().LastError());
    }
    return ConversionOutcome::UnexpectedError;
  }

  SourceFileList sourceFiles;
  unsigned candidatesUnreadable = 0;
  const bool listed = DiscoverSourceFiles(request.sourceFolderPath, sourceFiles,
                                          &candidatesUnreadable, diagnostics);
  summary.sourceFiles = sourceFiles.Count();
  // With no valid file the run ends here, whether or not the listing failed.
  if (sourceFiles.Count() == 0) return ConversionOutcome::NoValidSourceFiles;

  TopicCatalogue catalogue;
  SourceTally sources(sourceFiles, diagnostics);
  Run run{oneFile, catalogue, sink, diagnostics, oneFile ? folder : TextString()};
  Steps steps(sources, run);
  const bool wrote = edition.write(request, catalogue, steps);
  summary.contentsPage = run.contentsPage;
  if (!wrote) return ConversionOutcome::UnexpectedError;
  summary.startPage =
      edition.startPage == StartPage::ContentsPage ? run.contentsPage : folder;

  const std::uint64_t lostAllocations = FailedAllocations() - failedAllocations;
  summary.topics = catalogue.TopicCount();
  summary.filesWritten = sink.Written();
  summary.filesFailed = sink.Lost();
  summary.sourcesUnreadable = sources.Unreadable() + candidatesUnreadable;
  summary.sourceListingFailed = !listed;
  summary.allocationsFailed = static_cast<unsigned>(lostAllocations);
  const bool complete = listed && sink.Lost() == 0 && summary.sourcesUnreadable == 0 &&
                        lostAllocations == 0;
  return complete ? ConversionOutcome::Completed : ConversionOutcome::IncompleteOutput;
}

}  // namespace

ConversionOutcome RunConversion(const ConversionRequest& request, ConversionSummary& summary) {
  return Convert(request, summary, nullptr);
}

ConversionOutcome RunConversion(const ConversionRequest& request, ConversionSummary& summary,
                                Diagnostics& diagnostics) {
  return Convert(request, summary, &diagnostics);
}

}  // namespace marlix
