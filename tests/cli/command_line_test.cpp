// The command line program, run as a user runs it.
#include "cli/command_line.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/faulty_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::ListFolder;
using testing::ReadFileBytes;
using testing::ScratchFolder;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

std::string Quoted(const std::string& argument) {
  std::string quoted = "'";
  for (char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

CliRun RunCli(const ScratchFolder& scratch, std::initializer_list<std::string> arguments) {
  std::string command = MARLIX_CLI;
  for (const std::string& argument : arguments) command.append(" ").append(Quoted(argument));
  command.append(" > ").append(Quoted(scratch / "stdout"));
  command.append(" 2> ").append(Quoted(scratch / "stderr")).append(" < /dev/null");
  int raw = std::system(command.c_str());
  CliRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(scratch / "stdout"),
             ReadFileBytes(scratch / "stderr")};
  std::filesystem::remove(scratch / "stdout");
  std::filesystem::remove(scratch / "stderr");
  return run;
}

TEST(CommandLine, ExitStatusAndMessagePerOutcome) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "dest");
  std::filesystem::create_directory(scratch / "empty");
  const std::string dest = scratch / "dest";

  CliRun completed = RunCli(scratch, {MARLIX_SAMPLES, dest, "html"});
  EXPECT_EQ(completed.status, 0);
  EXPECT_EQ(completed.err, "");
  EXPECT_NE(completed.out.find("Converted 4 source files"), std::string::npos) << completed.out;
  EXPECT_NE(completed.out.find(dest + "/html/Index.htm\n"), std::string::npos) << completed.out;

  CliRun again = RunCli(scratch, {MARLIX_SAMPLES, dest, "html"});
  EXPECT_EQ(again.status, 3);
  EXPECT_EQ(again.err, "Error: Unable to create destination folder.\n");

  CliRun missing = RunCli(scratch, {MARLIX_SAMPLES, dest, ""});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "Info Missing: Please Fill Information then try again.\n");

  CliRun invalid = RunCli(scratch, {scratch / "empty", dest, "none"});
  EXPECT_EQ(invalid.status, 4);
  EXPECT_EQ(invalid.err,
            "Unknown Path: No valid Marlix 2.10 text files available in selected path.\n");
  EXPECT_EQ(ListFolder(dest), "html none");
}

TEST(CommandLine, UsageHelpAndVersion) {
  ScratchFolder scratch;
  CliRun tooFew = RunCli(scratch, {"a", "b"});
  EXPECT_EQ(tooFew.status, 1);
  EXPECT_NE(tooFew.err.find("Usage: marlix2html-cli [--web] SOURCE_FOLDER DESTINATION_FOLDER NAME"),
            std::string::npos);
  CliRun help = RunCli(scratch, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Exit status:"), std::string::npos);
  CliRun version = RunCli(scratch, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("marlix2html-cli ", 0), 0u);
}

// The failures of a full disk, played in-process with a file system that
// refuses to create or write certain files.
TEST(CommandLine, LostOutputOutcomes) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "dest");
  const std::string dest = scratch / "dest";
  auto runInProcess = [&](const char* name, std::string& err) {
    const char* argv[] = {"marlix2html-cli", MARLIX_SAMPLES, dest.c_str(), name};
    std::FILE* out = std::tmpfile();
    std::FILE* errFile = std::tmpfile();
    int status = RunCommandLine(4, argv, out, errFile);
    std::rewind(errFile);
    char buffer[512] = {};
    err.assign(buffer, std::fread(buffer, 1, sizeof buffer - 1, errFile));
    std::fclose(out);
    std::fclose(errFile);
    return status;
  };

  testing::FaultyFileSystem faulty;
  platform::ScopedFileSystem guard(faulty);
  std::string err;
  faulty.refuseCreate = {"Index.htm"};
  EXPECT_EQ(runInProcess("unexpected", err), 5);
  EXPECT_EQ(err, "Error: Unexpected error during conversion. \n");

  faulty.refuseCreate = {"toc.hhc"};
  faulty.diskFullFor = {"B0P0.htm"};
  faulty.diskFullAfterBytes = 10;
  EXPECT_EQ(runInProcess("incomplete", err), 6);
  EXPECT_EQ(err.substr(0, err.find('\n') + 1),
            "Incomplete Conversion: Conversion finished, but some output files could not be "
            "written.\n");
  EXPECT_NE(err.find(", 2 could not be written, 0 source files unreadable."), std::string::npos)
      << err;
}

}  // namespace
}  // namespace marlix
