#include "cli/command_line.h"

#include <cstring>

#ifndef MARLIX_VERSION
#define MARLIX_VERSION "unknown"
#endif

namespace marlix {
namespace {

constexpr char kUsage[] =
    "Usage: marlix2html-cli [--web] SOURCE_FOLDER DESTINATION_FOLDER NAME\n"
    "\n"
    "Converts the Marlix 2.10 reference text files (*.txt starting with \"@\") in\n"
    "SOURCE_FOLDER into HTML pages and help project files, written into the new\n"
    "folder NAME created inside the existing DESTINATION_FOLDER. NAME must not\n"
    "exist yet: nothing already on disk is ever overwritten. Source files are\n"
    "only read.\n"
    "\n"
    "Options:\n"
    "  --web      write the web edition instead: UTF-8 pages with a style sheet\n"
    "             and a search page, and no help project files\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Exit status:\n"
    "  0  conversion completed\n"
    "  1  wrong arguments\n"
    "  2  an argument is empty\n"
    "  3  the destination folder could not be created (it exists, or its parent does not)\n"
    "  4  no valid Marlix 2.10 text files in the source folder\n"
    "  5  Index.htm could not be created\n"
    "  6  conversion finished, but some output files could not be written\n";

}  // namespace

int ExitStatusFor(ConversionOutcome outcome) {
  switch (outcome) {
    case ConversionOutcome::Completed:
      return 0;
    case ConversionOutcome::InfoMissing:
      return 2;
    case ConversionOutcome::DestinationNotCreated:
      return 3;
    case ConversionOutcome::NoValidSourceFiles:
      return 4;
    case ConversionOutcome::UnexpectedError:
      return 5;
    case ConversionOutcome::IncompleteOutput:
      return 6;
  }
  return kExitUsage;
}

int RunCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, out);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::fprintf(out, "marlix2html-cli %s\n", MARLIX_VERSION);
    return 0;
  }
  ConversionRequest request;
  if (argc == 5 && std::strcmp(argv[1], "--web") == 0) {
    request.edition = OutputEdition::Web;
    ++argv;
    --argc;
  }
  if (argc != 4) {
    std::fputs(kUsage, err);
    return kExitUsage;
  }

  // The arguments are taken exactly as given, like the dialog's fields.
  request.sourceFolderPath = argv[1];
  request.destinationFolderPath = argv[2];
  request.destinationFolderName = argv[3];

  ConversionSummary summary;
  ConversionOutcome outcome = RunConversion(request, summary);
  if (outcome != ConversionOutcome::Completed) {
    OutcomeMessage message = DescribeOutcome(outcome);
    std::fprintf(err, "%s: %s\n", message.title, message.text);
    if (outcome == ConversionOutcome::IncompleteOutput) {
      std::fprintf(err, "%u files written, %u could not be written, %u source files unreadable.\n",
                   summary.filesWritten, summary.filesFailed, summary.sourcesUnreadable);
    }
    return ExitStatusFor(outcome);
  }
  TextString index = JoinPath(DestinationFolder(request), "Index.htm");
  std::fprintf(out, "Converted %u source file%s with %u topic%s into %u files: %s\n",
               summary.sourceFiles, summary.sourceFiles == 1 ? "" : "s", summary.topics,
               summary.topics == 1 ? "" : "s", summary.filesWritten, index.CStr());
  return 0;
}

}  // namespace marlix
