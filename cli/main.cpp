#include <cstdio>

#include "cli/command_line.h"

int main(int argc, char** argv) { return marlix::RunCommandLine(argc, argv, stdout, stderr); }
