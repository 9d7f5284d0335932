// The command line front end:
//   marlix2html-cli [OPTION]... SOURCE_FOLDER DESTINATION_FOLDER NAME
#pragma once

#include <cstdio>

#include "engine/conversion_driver.h"

namespace marlix {

// Exit statuses besides the one per outcome (ExitStatusFor).
constexpr int kExitUsage = 1;
constexpr int kExitCompileFailed = 7;
constexpr int kExitOutputFailed = 8;  // standard output could not be written
int ExitStatusFor(ConversionOutcome outcome);

// Runs the program with its arguments; returns the exit status.
int RunCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace marlix
