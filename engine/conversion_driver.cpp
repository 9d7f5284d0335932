#include "engine/conversion_driver.h"

#include "engine/help_project.h"
#include "engine/index_pages.h"
#include "engine/output_tally.h"
#include "engine/source_checks.h"
#include "engine/source_discovery.h"
#include "engine/topic_catalogue.h"
#include "engine/topic_pages.h"
#include "engine/web_edition.h"
#include "support/held_folder.h"
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
  return JoinPath(request.destinationFolderPath, request.destinationFolderName);
}

ConversionOutcome RunConversion(const ConversionRequest& request) {
  ConversionSummary summary;
  return RunConversion(request, summary);
}

namespace {

// Runs one output step and tells the listener how many files it wrote and lost.
template <typename Step>
void RunStep(ConversionStep step, OutputTally& tally, Diagnostics* diagnostics, Step&& run) {
  unsigned written = tally.FilesWritten();
  unsigned failed = tally.FilesFailed();
  run();
  if (diagnostics != nullptr) {
    diagnostics->StepFinished(step, tally.FilesWritten() - written, tally.FilesFailed() - failed);
  }
}

ConversionOutcome Convert(const ConversionRequest& request, ConversionSummary& summary,
                          Diagnostics* diagnostics) {
  summary = ConversionSummary();
  // Made first, so that memory lost anywhere in the run is seen.
  OutputTally tally(diagnostics);
  if (request.sourceFolderPath.IsEmpty() || request.destinationFolderPath.IsEmpty() ||
      request.destinationFolderName.IsEmpty()) {
    return ConversionOutcome::InfoMissing;
  }

  // Only the last component is made; an existing folder is never reused, so
  // nothing already on disk can be overwritten.
  const TextString folder = DestinationFolder(request);
  if (!platform::Files().MakeFolder(folder.CStr())) {
    if (diagnostics != nullptr) {
      diagnostics->FolderNotCreated(folder.CStr(), platform::Files().LastError());
    }
    return ConversionOutcome::DestinationNotCreated;
  }
  // Held to the end of the run: every output file is created through this
  // handle, so renaming the folder or putting a link in its place cannot send
  // the output elsewhere. A folder that cannot be held is left empty.
  HeldFolder destination;
  if (!destination.Hold(folder)) {
    if (diagnostics != nullptr) {
      diagnostics->FolderNotHeld(folder.CStr(), platform::Files().LastError());
    }
    return ConversionOutcome::UnexpectedError;
  }

  SourceFileList sourceFiles;
  unsigned candidatesUnreadable = 0;
  bool listed = DiscoverSourceFiles(request.sourceFolderPath, sourceFiles, &candidatesUnreadable,
                                    diagnostics);
  summary.sourceFiles = sourceFiles.Count();
  // With no valid file the run ends here, whether or not the listing failed.
  if (sourceFiles.Count() == 0) return ConversionOutcome::NoValidSourceFiles;

  if (!listed) tally.NoteSourceListingFailed();

  TopicCatalogue catalogue;
  if (request.edition == OutputEdition::Web) {
    // The web edition fills its index page last, when every section's topics
    // are known, but it must be creatable before anything else is written.
    OutputFile index;
    if (!tally.Create(index, JoinPath(folder, "Index.htm"))) {
      return ConversionOutcome::UnexpectedError;
    }
    BuildTopicCatalogue(sourceFiles, catalogue, tally);
    WriteWebEdition(folder, sourceFiles, catalogue, index, tally);
  } else {
    bool indexWritten = false;
    RunStep(ConversionStep::IndexPage, tally, diagnostics,
            [&] { indexWritten = WriteIndexPage(folder, sourceFiles, tally); });
    if (!indexWritten) return ConversionOutcome::UnexpectedError;

    // From here every step runs whatever the one before could not do; what
    // was lost is counted and decides between Completed and IncompleteOutput.
    BuildTopicCatalogue(sourceFiles, catalogue, tally);
    if (diagnostics != nullptr) {
      diagnostics->CatalogueBuilt(catalogue.TopicCount(), catalogue.Entries().Count());
    }
    RunStep(ConversionStep::SectionPages, tally, diagnostics,
            [&] { WriteSectionPages(folder, sourceFiles, catalogue, tally); });
    RunStep(ConversionStep::TopicPages, tally, diagnostics, [&] {
      if (diagnostics == nullptr) {
        WriteTopicPages(folder, sourceFiles, catalogue, tally);
      } else {
        SourceChecks checks(*diagnostics);
        WriteTopicPages(folder, sourceFiles, catalogue, tally, &checks);
      }
    });
    RunStep(ConversionStep::HelpProject, tally, diagnostics,
            [&] { WriteHelpProject(folder, sourceFiles, catalogue, tally); });
  }

  summary.topics = catalogue.TopicCount();
  summary.filesWritten = tally.FilesWritten();
  summary.filesFailed = tally.FilesFailed();
  summary.sourcesUnreadable = tally.SourcesUnreadable() + candidatesUnreadable;
  summary.sourceListingFailed = tally.SourceListingFailed();
  summary.allocationsFailed = static_cast<unsigned>(tally.LostAllocations());
  return tally.Complete() && candidatesUnreadable == 0 ? ConversionOutcome::Completed
                                                       : ConversionOutcome::IncompleteOutput;
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
