#include "cli/command_line.h"

#include <getopt.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "cli/error_reason.h"
#include "cli/help_compiler.h"
#include "cli/run_report.h"
#include "engine/editions/editions.h"
#include "engine/editions/classic/help_project.h"
#include "support/program_info.h"

namespace marlix {
namespace {

constexpr char kProgram[] = "marlix2html-cli";

// The options besides the editions'. Add an option here and handle its id
// in ParseArguments; a long-only option takes an id from kLongOnly on. The
// editions' options come from the table of editions, with ids from
// kEditionOption on, one per row.
enum OptionId : int {
  kQuiet = 'q',
  kVerbose = 'v',
  kHelp = 'h',
  kVersion = 'V',
  kLongOnly = 0x100,
  kCompile = kLongOnly,
  kTitle,
  kLanguage,
  kEditionOption = 0x200,
};

struct OptionSpec {
  const char* name;
  int id;
  const char* help;
  const char* value = nullptr;  // the name of its value, for an option that takes one
};

constexpr OptionSpec kLeadingOptions[] = {
    {"quiet", kQuiet, "print nothing on success, and no warnings"},
    {"verbose", kVerbose, "also name each file written, and count each step"},
};
constexpr OptionSpec kTrailingOptions[] = {
    {"title", kTitle,
     "the reference's name in the pages of every edition but the classic one (default: NAME)",
     "TEXT"},
    {"language", kLanguage, "with --epub: the language of the text, a language tag such as en, "
     "de or pt-BR (en when not given)", "TAG"},
    {"compile", kCompile, "then compile the help project with chmcmd into Marlix.chm"},
    {"help", kHelp, "show this help and exit"},
    {"version", kVersion, "show the version and the licence and exit"},
};

// Every option in the order --help lists them: the editions' between
// --verbose and --compile.
std::vector<OptionSpec> AllOptions() {
  std::vector<OptionSpec> options(std::begin(kLeadingOptions), std::end(kLeadingOptions));
  const std::span<const EditionRow> editions = Editions();
  for (std::size_t row = 0; row < editions.size(); ++row) {
    if (editions[row].option == nullptr) continue;
    options.push_back({editions[row].option, kEditionOption + static_cast<int>(row),
                       editions[row].description});
  }
  options.insert(options.end(), std::begin(kTrailingOptions), std::end(kTrailingOptions));
  return options;
}

constexpr char kUsageLine[] =
    "Usage: marlix2html-cli [OPTION]... SOURCE_FOLDER DESTINATION_FOLDER NAME\n";

constexpr char kDescription[] =
    "\n"
    "Converts the Marlix 2.10 reference text files (*.txt starting with \"@\") in\n"
    "SOURCE_FOLDER into HTML pages and help project files, written into the new\n"
    "folder NAME created inside the existing DESTINATION_FOLDER. NAME must not\n"
    "exist yet: nothing already on disk is ever overwritten. Source files are\n"
    "only read. Options may come before or after the folders; \"--\" ends them.\n"
    "\n"
    "Options:\n";

constexpr char kExitStatuses[] =
    "\n"
    "Exit status:\n"
    "  0  conversion completed\n"
    "  1  wrong options or arguments\n"
    "  2  an argument is empty\n"
    "  3  the destination folder could not be created (it exists, its parent does not,\n"
    "     or NAME is not one folder name)\n"
    "  4  no valid Marlix 2.10 text files in the source folder\n"
    "  5  the new folder could not be opened, or Index.htm or a folder of the docset\n"
    "     could not be created\n"
    "  6  conversion finished, but some output files could not be written, or a source\n"
    "     file could not be read or changed while it was converted\n"
    "  7  --compile: the help project could not be compiled\n"
    "  8  standard output could not be written\n";

struct Arguments {
  bool quiet = false;
  bool verbose = false;
  bool compile = false;
  const char* title = nullptr;
  bool help = false;
  bool version = false;
  std::vector<const EditionRow*> editions;  // asked for, in the table's order
  const char* language = nullptr;
  std::vector<const char*> operands;
};

// An option's help broken at blanks into lines of at most kHelpWidth
// bytes, each further line indented to the column of the first.
constexpr std::size_t kHelpWidth = 58;
constexpr std::size_t kHelpColumn = 18;

std::string WrapHelp(const char* help) {
  std::string wrapped;
  std::size_t lineStart = 0;
  std::string word;
  const std::string text = help;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    word = text.substr(at, end - at);
    if (wrapped.size() > lineStart && wrapped.size() - lineStart + 1 + word.size() > kHelpWidth) {
      wrapped += '\n';
      wrapped.append(kHelpColumn, ' ');
      lineStart = wrapped.size();
    } else if (wrapped.size() > lineStart) {
      wrapped += ' ';
    }
    wrapped += word;
    at = end + 1;
  }
  return wrapped;
}

void PrintHelp(std::FILE* out) {
  std::fputs(kUsageLine, out);
  std::fputs(kDescription, out);
  for (const OptionSpec& option : AllOptions()) {
    std::string flags = option.id < kLongOnly ? std::string("-") + char(option.id) + ", " : "    ";
    flags += "--";
    flags += option.name;
    if (option.value != nullptr) {
      flags += ' ';
      flags += option.value;
    }
    std::fprintf(out, "  %-16s%s%s\n", flags.c_str(), flags.size() < 16 ? "" : "\n                  ",
                 WrapHelp(option.help).c_str());
  }
  std::fputs(kExitStatuses, out);
}

// Says what was wrong with the command line, the way every such error ends.
int UsageError(std::FILE* err, const std::string& what) {
  std::fprintf(err, "%s: %s\nTry '%s --help' for more information.\n", kProgram, what.c_str(),
               kProgram);
  return kExitUsage;
}

// A long option as the user typed it, without any "=value".
std::string TypedLongOption(const char* argument) {
  std::string typed = argument;
  return typed.substr(0, typed.find('='));
}

bool IsKnownOption(const std::vector<OptionSpec>& options, int id) {
  for (const OptionSpec& entry : options) {
    if (entry.id == id) return true;
  }
  return false;
}

// Parses argv with getopt_long (options may come before, between or after
// the operands); returns 0, or the exit status of a usage error after
// reporting it.
int ParseArguments(int argc, const char* const* argv, Arguments& arguments, std::FILE* err) {
  const std::vector<OptionSpec> options = AllOptions();
  std::vector<option> longOptions;
  std::string shortOptions = ":";
  for (const OptionSpec& entry : options) {
    longOptions.push_back(
        {entry.name, entry.value != nullptr ? required_argument : no_argument, nullptr, entry.id});
    if (entry.id < kLongOnly) shortOptions += char(entry.id);
  }
  longOptions.push_back({nullptr, 0, nullptr, 0});

  // getopt_long reorders its array, so it gets a copy.
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) args.push_back(const_cast<char*>(argv[i]));
  args.push_back(nullptr);

  opterr = 0;
  optind = 0;  // start afresh, also when called more than once
  while (true) {
    int id = getopt_long(argc, args.data(), shortOptions.c_str(), longOptions.data(), nullptr);
    if (id == -1) break;
    switch (id) {
      case kQuiet:
        arguments.quiet = true;
        break;
      case kVerbose:
        arguments.verbose = true;
        break;
      case kCompile:
        arguments.compile = true;
        break;
      case kTitle:
        arguments.title = optarg;
        break;
      case kHelp:
        arguments.help = true;
        break;
      case kVersion:
        arguments.version = true;
        break;
      case kLanguage:
        arguments.language = optarg;
        break;
      case ':':
        // A long option without its value, the last argument.
        return UsageError(err, "option '" + TypedLongOption(args[optind - 1]) + "' needs a value");
      default:
        if (id >= kEditionOption && id < kEditionOption + static_cast<int>(Editions().size())) {
          const EditionRow* row = &Editions()[static_cast<std::size_t>(id - kEditionOption)];
          // Given twice counts once; kept in the table's order.
          std::erase(arguments.editions, row);
          auto later = std::find_if(arguments.editions.begin(), arguments.editions.end(),
                                    [row](const EditionRow* given) { return given > row; });
          arguments.editions.insert(later, row);
          break;
        }
        // An unknown short option leaves it in optopt; a long option given
        // a value leaves its id there; an unknown or ambiguous long option
        // leaves 0. A long option's text is the element just passed.
        if (optopt != 0 && IsKnownOption(options, optopt)) {
          return UsageError(err,
                            "option '" + TypedLongOption(args[optind - 1]) + "' takes no value");
        }
        if (optopt != 0)
          return UsageError(err, std::string("unknown option '-") + char(optopt) + "'");
        return UsageError(
            err, "unknown or ambiguous option '" + TypedLongOption(args[optind - 1]) + "'");
    }
  }
  for (int i = optind; i < argc; ++i) arguments.operands.push_back(args[i]);
  return 0;
}

// The row's refusal with the other option in place of "%s".
// Refuses --title without an edition's option: "--title needs --web,
// --docset or --epub (the classic pages keep their titles)".
std::string TitleRefusal() {
  std::vector<std::string> options;
  for (const EditionRow& edition : Editions()) {
    if (edition.option != nullptr) options.push_back(std::string("--") + edition.option);
  }
  std::string list;
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (i > 0) list += i + 1 == options.size() ? " or " : ", ";
    list += options[i];
  }
  return "--title needs " + list + " (the classic pages keep their titles)";
}

// Refuses --language for an edition without it: "--language is for the
// e-book only (--epub)", naming every edition that takes one.
std::string LanguageRefusal() {
  std::string names;
  std::string options;
  for (const EditionRow& edition : Editions()) {
    if (edition.takesLanguage == nullptr) continue;
    if (!names.empty()) {
      names += " or ";
      options += ", ";
    }
    std::string label = edition.label;
    std::transform(label.begin(), label.end(), label.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    names += "the " + label;
    options += std::string("--") + edition.option;
  }
  return "--language is for " + names + " only (" + options + ")";
}

std::string Refusal(const EditionRow& edition, const std::string& other) {
  std::string message = edition.refusal;
  const std::size_t at = message.find("%s");
  if (at != std::string::npos) message.replace(at, 2, other);
  return message;
}

int CheckOperands(const Arguments& arguments, std::FILE* err) {
  static const char* const kNames[] = {"SOURCE_FOLDER", "DESTINATION_FOLDER", "NAME"};
  std::size_t count = arguments.operands.size();
  if (count > 3)
    return UsageError(err, std::string("extra operand '") + arguments.operands[3] + "'");
  if (count < 3) {
    std::string missing = 3 - count == 1 ? "missing operand " : "missing operands ";
    for (std::size_t i = count; i < 3; ++i)
      missing += std::string(i > count ? " " : "") + kNames[i];
    return UsageError(err, missing);
  }
  if (arguments.quiet && arguments.verbose) {
    return UsageError(err, "--quiet and --verbose cannot be used together");
  }
  if (arguments.language != nullptr) {
    const EditionRow* edition = arguments.editions.empty() ? nullptr : arguments.editions[0];
    if (edition == nullptr || edition->takesLanguage == nullptr) {
      return UsageError(err, LanguageRefusal());
    }
    if (!edition->takesLanguage(arguments.language)) {
      return UsageError(err, std::string("--language: '") + arguments.language +
                                 "' is no language tag (such as en, de or pt-BR)");
    }
  }
  // Editions in the table's order: each is refused beside an edition before
  // it, or beside --compile when it writes no help project.
  for (std::size_t i = 0; i < arguments.editions.size(); ++i) {
    const EditionRow& edition = *arguments.editions[i];
    if (i > 0) {
      return UsageError(err, Refusal(edition, std::string("--") + arguments.editions[0]->option));
    }
    if (arguments.compile && !edition.writesHelpProject) {
      return UsageError(err, Refusal(edition, "--compile"));
    }
  }
  if (arguments.title != nullptr && arguments.editions.empty()) {
    return UsageError(err, TitleRefusal());
  }
  if (arguments.title != nullptr && arguments.title[0] == '\0') {
    return UsageError(err, "--title needs a text that is not empty");
  }
  return 0;
}

// An edition this build cannot write (the docset where the build has no
// SQLite library): one line, the usage status. Zero when all can be.
int EditionsUnavailable(const Arguments& arguments, std::FILE* err) {
  for (const EditionRow* edition : arguments.editions) {
    if (!edition->available) {
      std::fprintf(err, "%s: --%s: %s\n", kProgram, edition->option, edition->unavailable);
      return kExitUsage;
    }
  }
  return 0;
}

int Compile(const ConversionRequest& request, bool quiet, std::FILE* out, std::FILE* err) {
  std::string folder = DestinationFolder(request).CStr();
  std::fflush(out);
  CompileReport report = CompileHelpProject(folder, quiet);
  switch (report.result) {
    case CompileResult::Compiled:
      if (!quiet) {
        std::fprintf(out, "Compiled %s\n",
                     JoinPath(DestinationFolder(request), kCompiledHelpName).CStr());
      }
      return 0;
    case CompileResult::NotInstalled:
      std::fprintf(err,
                   "%s: --compile: chmcmd is not installed (not found on PATH), so %s was not "
                   "compiled; on Debian it comes with the package fp-utils\n",
                   kProgram, JoinPath(DestinationFolder(request), kProjectFileName).CStr());
      return kExitCompileFailed;
    case CompileResult::Failed:
      std::fprintf(err, "%s: --compile: compiling %s failed: %s\n", kProgram,
                   JoinPath(DestinationFolder(request), kProjectFileName).CStr(),
                   report.detail.c_str());
      return kExitCompileFailed;
  }
  return kExitCompileFailed;
}

int Convert(const Arguments& arguments, std::FILE* out, std::FILE* err) {
  // The arguments are taken exactly as given, like the dialog's fields.
  ConversionRequest request;
  request.sourceFolderPath = arguments.operands[0];
  request.destinationFolderPath = arguments.operands[1];
  request.destinationFolderName = arguments.operands[2];
  if (!arguments.editions.empty()) request.edition = arguments.editions[0]->id;
  if (arguments.title != nullptr) request.title = arguments.title;
  if (arguments.language != nullptr) request.language = arguments.language;

  RunReport report(request, arguments.verbose, out);
  ConversionSummary summary;
  ConversionOutcome outcome = RunConversion(request, summary, report);
  if (outcome != ConversionOutcome::Completed) {
    OutcomeMessage message = DescribeOutcome(outcome);
    std::fprintf(err, "%s: %s: %s\n", kProgram, message.title, message.text);
    report.PrintFailureDetails(outcome, err);
    if (outcome == ConversionOutcome::IncompleteOutput) {
      std::fprintf(err,
                   "%s: %u files written, %u could not be written, %u source files unreadable.\n",
                   kProgram, summary.filesWritten, summary.filesFailed, summary.sourcesUnreadable);
      if (summary.allocationsFailed > 0) {
        std::fprintf(err, "%s: %u copies or appends could not be made (out of memory)\n", kProgram,
                     summary.allocationsFailed);
      }
    }
  }
  if (!arguments.quiet) report.PrintWarnings(err);
  if (outcome != ConversionOutcome::Completed) {
    if (arguments.compile && outcome == ConversionOutcome::IncompleteOutput) {
      std::fprintf(err, "%s: --compile: not compiled, the conversion is incomplete\n", kProgram);
    }
    return ExitStatusFor(outcome);
  }

  if (!arguments.quiet) {
    std::fprintf(out, "Converted %u source file%s with %u topic%s into %u files: %s\n",
                 summary.sourceFiles, summary.sourceFiles == 1 ? "" : "s", summary.topics,
                 summary.topics == 1 ? "" : "s", summary.filesWritten,
                 summary.contentsPage.CStr());
  }
  return arguments.compile ? Compile(request, arguments.quiet, out, err) : 0;
}

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
  Arguments arguments;
  int status = ParseArguments(argc, argv, arguments, err);
  if (status != 0) return status;

  if (arguments.help) {
    PrintHelp(out);
  } else if (arguments.version) {
    std::fprintf(out, "%s %s\n%s\n", kProgram, kProgramVersion, kLicenceLine);
  } else if ((status = EditionsUnavailable(arguments, err)) != 0) {
    return status;
  } else {
    status = CheckOperands(arguments, err);
    if (status != 0) return status;
    status = Convert(arguments, out, err);
  }

  // Output that never arrived is an error, not a success.
  errno = 0;
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fprintf(err, "%s: cannot write to standard output: %s\n", kProgram,
                 ErrorReason(errno, PathUse::File));
    if (status == 0) status = kExitOutputFailed;
  }
  return status;
}

}  // namespace marlix
