// The two options a desktop program answers on its own, before it needs a
// window or even a display: --help and --version. Every other argument is
// left to the toolkit, as before.
#pragma once

#include <cstdio>

namespace marlix::ui {

// When an argument is -h, --help, -V or --version, prints the answer to out
// and returns true with the exit status (1 when out could not be written).
bool AnswerInfoOption(int argc, const char* const* argv, std::FILE* out, int& status);

}  // namespace marlix::ui
