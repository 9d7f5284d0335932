// Compiles the help project of a finished conversion with the external help
// compiler chmcmd, when it is installed.
#pragma once

#include <string>

namespace marlix {

enum class CompileResult {
  Compiled,      // the compiler succeeded and Marlix.chm is there
  NotInstalled,  // no chmcmd on PATH
  Failed,        // it could not be started, failed, or made no Marlix.chm
};

struct CompileReport {
  CompileResult result = CompileResult::Failed;
  std::string detail;  // what went wrong, for Failed
};

// The full path of program when an executable of that name is on PATH, else
// empty. A name holding a slash is taken as a path.
std::string FindProgram(const std::string& program);

// Runs "chmcmd Marlix.hhp" inside folder. Its own output goes to our standard
// output unless quiet (then only its error output is kept).
CompileReport CompileHelpProject(const std::string& folder, bool quiet);

}  // namespace marlix
