#include "ui/common/desktop_options.h"

#include <cstring>

#include "support/program_info.h"

namespace marlix::ui {
namespace {

constexpr char kHelp[] =
    "Usage: marlix2html [--help | --version]\n"
    "\n"
    "Opens the Marlix to HTML dialog, which converts the Marlix 2.10 reference\n"
    "text files of a source folder into a new folder, in the edition chosen in\n"
    "its list. marlix2html-cli does the same from the command line.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and the licence and exit\n";

}  // namespace

bool AnswerInfoOption(int argc, const char* const* argv, std::FILE* out, int& status) {
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0) {
      std::fputs(kHelp, out);
    } else if (std::strcmp(argument, "-V") == 0 || std::strcmp(argument, "--version") == 0) {
      std::fprintf(out, "marlix2html %s\n%s\n", kProgramVersion, kLicenceLine);
    } else {
      continue;
    }
    status = std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
    return true;
  }
  return false;
}

}  // namespace marlix::ui
