// The table of editions: one row per edition, holding everything that the
// driver, the front ends and the documentation need to know of it. The
// driver makes an edition only through its row; the command line takes its
// options, --help, the rules on which options combine and -v's step names
// from the rows; the dialogs offer the rows; tests hold the bash completion
// and the manual page to them. A new edition is one more row here and one
// more folder of page writers.
#pragma once

#include <span>

#include "engine/conversion_driver.h"
#include "engine/editions/edition.h"
#include "engine/format/source_discovery.h"
#include "engine/format/topic_catalogue.h"
#include "support/text_string.h"

namespace marlix {

// Runs the driver's steps over an edition made for one run; false ends the
// run as an unexpected error (the contents page could not be made).
class EditionSteps {
 public:
  virtual bool Run(Edition& edition) = 0;
  // The run's source files, in list order.
  virtual const SourceFileList& SourceFiles() const = 0;

 protected:
  ~EditionSteps() = default;
};

// What a reader opens first of a finished run.
enum class StartPage {
  ContentsPage,  // the contents page, Index.htm
  OutputFolder,  // the edition's folder itself, which a browser of its own reads
  OutputFile,    // the edition's one file (NAME with the suffix), which a reader opens whole
};

struct EditionRow {
  OutputEdition id;
  // The command line's long option, without "--"; null for the edition
  // written when none is asked for.
  const char* option;
  // A short label and one line saying what comes out, for a dialog's choice
  // and the option's line in --help.
  const char* label;
  const char* description;
  // The message refusing the option beside one it does not combine with
  // (another edition's option, or --compile when it writes no help
  // project); "%s" stands for that other option.
  const char* refusal;
  // The name of the closing step (WriteClosingFiles) in -v's counts.
  const char* closingStep;
  // Whether it writes the help project, which --compile compiles.
  bool writesHelpProject;
  // Whether this build can write it, and if not, why not (one line).
  bool available;
  const char* unavailable;
  // Its output inside the destination folder: a folder named NAME (a file,
  // for an edition whose start page is its OutputFile), with this suffix
  // added unless NAME ends so already (null: NAME as it is).
  const char* folderSuffix;
  StartPage startPage;
  // For an edition whose text carries a language (--language), whether tag
  // is one it takes; null for the others.
  bool (*takesLanguage)(const char* tag);
  // Makes the edition for one run, on its own stack, and runs the steps
  // over it. request is the run's; the catalogue is filled by the steps.
  bool (*write)(const ConversionRequest& request, const TopicCatalogue& catalogue,
                EditionSteps& steps);
};

// Every edition, the default first, in the order a choice lists them.
std::span<const EditionRow> Editions();
// The row of an edition.
const EditionRow& EditionOf(OutputEdition id);

}  // namespace marlix
