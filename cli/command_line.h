// The command line front end: marlix2html-cli SOURCE_FOLDER DESTINATION_FOLDER NAME.
#pragma once

#include <cstdio>

#include "engine/conversion_driver.h"

namespace marlix {

// Exit status of the program, one per outcome; 1 is a usage error.
constexpr int kExitUsage = 1;
int ExitStatusFor(ConversionOutcome outcome);

// Runs the program with its arguments; returns the exit status.
int RunCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace marlix
