// The command line program on Windows: run in this process, with Windows
// paths, it gives the exit statuses and messages it gives on Linux.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun RunCli(const ScratchFolder& scratch, std::vector<std::string> arguments) {
  std::vector<const char*> argv{"marlix2html-cli"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  const std::string outPath = scratch / "stdout";
  const std::string errPath = scratch / "stderr";
  std::FILE* out = std::fopen(outPath.c_str(), "wb");
  std::FILE* err = std::fopen(errPath.c_str(), "wb");
  int status = RunCommandLine(int(argv.size()), argv.data(), out, err);
  std::fclose(out);
  std::fclose(err);
  CliRun run{status, ReadFileBytes(outPath), ReadFileBytes(errPath)};
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return run;
}

bool Holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CommandLineWin32, StatusesAndBackslashPaths) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "dest");
  std::filesystem::create_directory(scratch / "empty");
  const std::string dest = scratch / "dest";

  CliRun completed = RunCli(scratch, {MARLIX_SAMPLES, dest, "html"});
  EXPECT_EQ(completed.status, 0) << completed.err;
  EXPECT_EQ(completed.out, "Converted 4 source files with 52 topics into 60 files: " + dest +
                               "\\html\\Index.htm\n");

  CliRun again = RunCli(scratch, {MARLIX_SAMPLES, dest + "\\", "html"});
  EXPECT_EQ(again.status, 3);
  EXPECT_TRUE(Holds(again.err, "Error: Unable to create destination folder.\n" + dest +
                                   "\\html: error: cannot create this folder: exists already\n"))
      << again.err;

  EXPECT_EQ(RunCli(scratch, {MARLIX_SAMPLES, dest, ""}).status, 2);
  CliRun none = RunCli(scratch, {scratch / "empty", dest, "none"});
  EXPECT_EQ(none.status, 4);
  EXPECT_TRUE(Holds(none.err, scratch / "empty" + ": error: holds no *.txt file\n")) << none.err;
  EXPECT_EQ(RunCli(scratch, {"--no-such-option"}).status, 1);
}

// Built without the SQLite library, the program says so in one line and
// makes nothing.
TEST(CommandLineWin32, NoDocsetsInThisBuild) {
  ScratchFolder scratch;
  CliRun run = RunCli(scratch, {"--docset", MARLIX_SAMPLES, scratch.Path(), "Marlix"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "marlix2html-cli: --docset: this build cannot write docsets (it has no SQLite "
            "library)\n");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(testing::ListFolder(scratch.Path()), "");
}

}  // namespace
}  // namespace marlix
