// The command line program, run as a user runs it.
#include "cli/command_line.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_report.h"
#include "engine/editions/editions.h"
#include "support/allocation.h"
#include "support/faulty_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

// While a test plays an exhausted heap, operator new fails too once the
// engine's allocator has refused a block: the heap is short for everyone.
constexpr std::uint64_t kNewNeverFails = ~std::uint64_t{0};
std::uint64_t newFailsPast = kNewNeverFails;

}  // namespace
}  // namespace marlix

// Blocks of this operator new are malloc's, freed by the operator delete
// below; GCC cannot see that the two belong together.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  if (marlix::newFailsPast != marlix::kNewNeverFails &&
      marlix::FailedAllocations() > marlix::newFailsPast) {
    throw std::bad_alloc();
  }
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace marlix {
namespace {

using testing::ListFolder;
using testing::PathExists;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

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

// Runs the program; environment is put before it ("PATH=... ").
CliRun RunCli(const ScratchFolder& scratch, std::initializer_list<std::string> arguments,
              const std::string& environment = "", const std::string& stdoutTo = "") {
  std::string command = environment + " " MARLIX_CLI;
  for (const std::string& argument : arguments) command.append(" ").append(Quoted(argument));
  command.append(" > ").append(stdoutTo.empty() ? Quoted(scratch / "stdout") : stdoutTo);
  command.append(" 2> ").append(Quoted(scratch / "stderr")).append(" < /dev/null");
  int raw = std::system(command.c_str());
  CliRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(scratch / "stdout"),
             ReadFileBytes(scratch / "stderr")};
  std::filesystem::remove(scratch / "stdout");
  std::filesystem::remove(scratch / "stderr");
  return run;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n') + 1); }

bool Holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CommandLine, ExitStatusAndMessagePerOutcome) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "dest");
  std::filesystem::create_directory(scratch / "empty");
  const std::string dest = scratch / "dest";

  CliRun completed = RunCli(scratch, {MARLIX_SAMPLES, dest, "html"});
  EXPECT_EQ(completed.status, 0);
  // The sample names one topic it lacks on purpose.
  EXPECT_EQ(completed.err, std::string(MARLIX_SAMPLES) +
                               "/Functions.txt:192: warning: 1 \"~\" reference names no topic "
                               "and becomes bold text, the first \"~GRAPHICS~\"\n");
  EXPECT_EQ(completed.out,
            "Converted 4 source files with 52 topics into 60 files: " + dest + "/html/Index.htm\n");

  // The outcome's title and text come first; the details name the path and why.
  CliRun again = RunCli(scratch, {MARLIX_SAMPLES, dest, "html"});
  EXPECT_EQ(again.status, 3);
  EXPECT_EQ(again.err, "marlix2html-cli: Error: Unable to create destination folder.\n" + dest +
                           "/html: error: cannot create this folder: exists already\n");
  CliRun orphan = RunCli(scratch, {MARLIX_SAMPLES, dest + "/missing", "html"});
  EXPECT_EQ(orphan.status, 3);
  EXPECT_TRUE(Holds(orphan.err, dest + "/missing/html: error: cannot create this folder: "
                                       "parent folder does not exist\n"))
      << orphan.err;

  CliRun outside = RunCli(scratch, {MARLIX_SAMPLES, dest, "../html"});
  EXPECT_EQ(outside.status, 3);
  EXPECT_EQ(outside.err, "marlix2html-cli: Error: Unable to create destination folder.\n"
                         "../html: error: cannot create this folder: NAME must be one folder "
                         "name (no \"/\", not \".\" or \"..\")\n");
  CliRun dots = RunCli(scratch, {"--docset", MARLIX_SAMPLES, dest, ".."});
  EXPECT_EQ(dots.status, 3);
  EXPECT_EQ(FirstLine(dots.err), "marlix2html-cli: Error: Unable to create destination folder.\n");

  CliRun missing = RunCli(scratch, {MARLIX_SAMPLES, dest, ""});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err,
            "marlix2html-cli: Info Missing: Please Fill Information then try again.\n");

  const std::string noValid =
      "marlix2html-cli: Unknown Path: No valid Marlix 2.10 text files available in selected "
      "path.\n";
  CliRun none = RunCli(scratch, {scratch / "empty", dest, "none"});
  EXPECT_EQ(none.status, 4);
  EXPECT_EQ(none.err, noValid + scratch / "empty" + ": error: holds no *.txt file\n");
  CliRun unlisted = RunCli(scratch, {scratch / "absent", dest, "unlisted"});
  EXPECT_EQ(unlisted.status, 4);
  EXPECT_EQ(unlisted.err,
            noValid + scratch / "absent" + ": error: cannot be listed: does not exist\n");
  EXPECT_EQ(ListFolder(dest), "html none unlisted");
}

// Files left out are warned about one by one; when none is left, the error
// counts and names them.
TEST(CommandLine, LeftOutSourceFiles) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "src");
  const std::string src = scratch / "src";
  WriteFileBytes(src + "/a.txt", " @Blank first");
  WriteFileBytes(src + "/b.txt", "\xEF\xBB\xBF@Marked");
  WriteFileBytes(src + "/c.txt", "");
  CliRun run = RunCli(scratch, {src, scratch.Path(), "out"});
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.err,
            "marlix2html-cli: Unknown Path: No valid Marlix 2.10 text files available in selected "
            "path.\n" +
                src +
                ": error: holds 3 *.txt files, but none is a valid text file (one starting with "
                "\"@\"): a.txt, b.txt, c.txt\n" +
                src + "/a.txt: warning: left out: its first byte is a blank (0x20), not \"@\"\n" +
                src +
                "/b.txt: warning: left out: it starts with a UTF-8 byte-order mark, not \"@\" "
                "(save it as code page 437)\n" +
                src + "/c.txt: warning: left out: the file is empty\n");

  // A warning never changes the outcome; --quiet silences it.
  WriteFileBytes(src + "/d.txt", "@Valid\r\n:Alpha\r\nAlpha\r\n text");
  CliRun warned = RunCli(scratch, {src, scratch.Path(), "warned"});
  EXPECT_EQ(warned.status, 0);
  EXPECT_TRUE(Holds(warned.err, "/c.txt: warning: left out: the file is empty\n")) << warned.err;
  CliRun quiet = RunCli(scratch, {src, scratch.Path(), "quiet", "-q"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out + quiet.err, "");
}

// Lines that will come out wrong are warned about with file and line; the
// warnings change neither the exit status nor a byte of the output.
TEST(CommandLine, SourceLineWarnings) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "src");
  const std::string source = scratch / "src/a.txt";
  WriteFileBytes(source, "@Section\r\n:Alpha:Beta\r\n Alpha\r\n see ~Gamma~ and ~beta~\r\n " +
                             std::string(100, 'x') + "\r\n ~Nope~ ~~ ~Nada~\r\n " +
                             std::string(79, 'y') + "\r\n caf\xC3\xA9\r\n");
  CliRun run = RunCli(scratch, {scratch / "src", scratch.Path(), "warned"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            source +
                ":8: warning: this looks like UTF-8, not code page 437: its accented letters and "
                "symbols will show wrongly\n" +
                source +
                ":5: warning: 1 line longer than 80 bytes: it is split into 80-byte pieces, and "
                "the first byte of each further piece is read as its format column\n" +
                source +
                ":4: warning: 3 \"~\" references name no topic and become bold text (lines 4, "
                "6), the first \"~Gamma~\"\n");
  // The web edition reads the same sources the same way, and says so.
  CliRun web = RunCli(scratch, {"--web", scratch / "src", scratch.Path(), "warned-web"});
  EXPECT_EQ(web.status, 0);
  EXPECT_EQ(web.err, run.err);

  ConversionRequest request{(scratch / "src").c_str(), scratch.Path().c_str(), "silent"};
  ASSERT_EQ(RunConversion(request), ConversionOutcome::Completed);
  const std::string names = ListFolder(scratch / "warned");
  EXPECT_EQ(names, ListFolder(scratch / "silent"));
  for (std::size_t start = 0; start < names.size();) {
    std::size_t end = std::min(names.find(' ', start), names.size());
    const std::string name = names.substr(start, end - start);
    EXPECT_EQ(ReadFileBytes(scratch / ("warned/" + name)),
              ReadFileBytes(scratch / ("silent/" + name)))
        << name;
    start = end + 1;
  }

  // Code page 437 text with accented letters is no UTF-8.
  WriteFileBytes(source, "@Section\r\n:Alpha\r\n Alpha\r\n caf\x82 \xC9\xCD\xBB\r\n");
  CliRun plain = RunCli(scratch, {scratch / "src", scratch.Path(), "plain"});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.err, "");

  // The web edition shows a title line as its page's heading, not as a line
  // of the text: a reference there that names no topic is still warned about.
  WriteFileBytes(source, "@Section\r\n:Alpha\r\n Alpha, not ~Gamma~\r\n text\r\n");
  CliRun titled = RunCli(scratch, {scratch / "src", scratch.Path(), "titled"});
  EXPECT_TRUE(Holds(titled.err, source + ":3: warning: ")) << titled.err;
  EXPECT_TRUE(Holds(titled.err, "\"~Gamma~\"")) << titled.err;
  CliRun titledWeb = RunCli(scratch, {"--web", scratch / "src", scratch.Path(), "titled-web"});
  EXPECT_EQ(titledWeb.err, titled.err);

  // Lines that end in a carriage return alone are read as one; the text after
  // a zero byte is left out. Both are said, and change nothing else.
  const char dropping[] =
      "@Section\r\n:Alpha\r\n Alpha\r\n a\0 lost\r\n:Beta\r Beta\r text\r\n b\0\r\n c\0\r\n";
  WriteFileBytes(source, std::string(dropping, sizeof dropping - 1));
  CliRun dropped = RunCli(scratch, {scratch / "src", scratch.Path(), "dropped"});
  EXPECT_EQ(dropped.status, 0);
  EXPECT_EQ(dropped.err,
            source +
                ":5: warning: 1 line with a carriage return not followed by a line feed: it ends "
                "no line, so the lines it separates are read as one\n" +
                source + ":4: warning: 3 lines with a zero byte (lines 4, 6, 7): the text after "
                         "it is left out\n");
}

TEST(CommandLine, UsageErrors) {
  ScratchFolder scratch;
  const char* const kTry = "Try 'marlix2html-cli --help' for more information.\n";
  struct Case {
    std::initializer_list<std::string> arguments;
    const char* firstLine;
  };
  for (const Case& c : {
           Case{{}, "missing operands SOURCE_FOLDER DESTINATION_FOLDER NAME"},
           Case{{"a", "b"}, "missing operand NAME"},
           Case{{"a", "b", "c", "d"}, "extra operand 'd'"},
           Case{{"-x", "a", "b", "c"}, "unknown option '-x'"},
           Case{{"a", "b", "c", "--colour"}, "unknown or ambiguous option '--colour'"},
           Case{{"--ver"}, "unknown or ambiguous option '--ver'"},
           Case{{"--compile=yes", "a", "b", "c"}, "option '--compile' takes no value"},
           Case{{"a", "b", "c", "--web", "--title"}, "option '--title' needs a value"},
           Case{{"--title", "T", "a", "b", "c"},
                "--title needs --web, --docset or --epub (the classic pages keep their titles)"},
           Case{{"--language", "de", "a", "b", "c"}, "--language is for the e-book only (--epub)"},
           Case{{"--web", "--language=de", "a", "b", "c"},
                "--language is for the e-book only (--epub)"},
           Case{{"--epub", "--language=de_DE", "a", "b", "c"},
                "--language: 'de_DE' is no language tag (such as en, de or pt-BR)"},
           Case{{"--web", "--title=", "a", "b", "c"}, "--title needs a text that is not empty"},
           Case{{"-qv", "a", "b", "c"}, "--quiet and --verbose cannot be used together"},
           Case{{"--docset", "--web", "a", "b", "c"},
                "--docset and --web cannot be used together (a docset holds the web edition's "
                "pages, and no help project)"},
           Case{{"a", "b", "c", "--compile", "--docset"},
                "--docset and --compile cannot be used together (a docset holds the web "
                "edition's pages, and no help project)"},
       }) {
    CliRun run = RunCli(scratch, c.arguments);
    EXPECT_EQ(run.status, 1) << c.firstLine;
    EXPECT_EQ(run.err, std::string("marlix2html-cli: ") + c.firstLine + "\n" + kTry);
    EXPECT_EQ(run.out, "");
  }
}

// A docset goes into NAME.docset; the summary line names its contents page
// inside it, and -v names every file of the folder once, with the folders
// on the way.
TEST(CommandLine, DocsetNamesItsContentsPageAndEveryFile) {
  ScratchFolder scratch;
  const std::string docset = scratch / "Marlix.docset";
  CliRun run = RunCli(scratch, {"--docset", "-v", MARLIX_SAMPLES, scratch.Path(), "Marlix"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string tree = testing::ListTree(docset);
  const std::size_t files = static_cast<std::size_t>(std::count(tree.begin(), tree.end(), ' ')) + 1;
  EXPECT_TRUE(Holds(run.out, "\nConverted 4 source files with 52 topics into " +
                                 std::to_string(files) + " files: " + docset +
                                 "/Contents/Resources/Documents/Index.htm\n"))
      << run.out;
  std::vector<std::string> named;
  for (std::size_t start = 0; start < run.out.size();) {
    const std::size_t end = run.out.find('\n', start);
    const std::string line = run.out.substr(start, end - start);
    start = end + 1;
    if (line.rfind(docset + "/", 0) == 0) named.push_back(line.substr(docset.size() + 1));
  }
  std::sort(named.begin(), named.end());
  std::string listed;
  for (const std::string& name : named) listed += (listed.empty() ? "" : " ") + name;
  EXPECT_EQ(listed, tree);
  EXPECT_TRUE(Holds(run.out, "\nStyle sheet, index, Info.plist and icons: 5 files written\n"))
      << run.out;

  // The folder exists now, named with or without its ending.
  CliRun again = RunCli(scratch, {"--docset", MARLIX_SAMPLES, scratch.Path(), "Marlix.docset"});
  EXPECT_EQ(again.status, 3);
  EXPECT_TRUE(Holds(again.err, docset + ": error: cannot create this folder: exists already\n"))
      << again.err;
  EXPECT_EQ(ListFolder(scratch.Path()), "Marlix.docset");
}

TEST(CommandLine, OptionsAnywhereAndDoubleDash) {
  ScratchFolder scratch;
  const std::string dest = scratch.Path();
  // --title takes the next argument as its text, whatever it looks like.
  CliRun titled = RunCli(scratch, {"--web", "--title", "-R&D", MARLIX_SAMPLES, dest, "named", "-q"});
  EXPECT_EQ(titled.status, 0) << titled.err;
  EXPECT_TRUE(Holds(ReadFileBytes(scratch / "named/Index.htm"), "<title>-R&amp;D</title>"));
  // Options after the operands still count; after "--" a leading "-" is a name.
  CliRun after = RunCli(scratch, {MARLIX_SAMPLES, dest, "one", "--quiet"});
  EXPECT_EQ(after.status, 0);
  EXPECT_EQ(after.out, "");
  CliRun dashed = RunCli(scratch, {"-q", "--", MARLIX_SAMPLES, dest, "-two"});
  EXPECT_EQ(dashed.status, 0) << dashed.err;
  EXPECT_TRUE(PathExists(scratch / "-two/Index.htm"));

  CliRun help = RunCli(scratch, {"-h"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(Holds(help.out, "Exit status:")) << help.out;
  CliRun version = RunCli(scratch, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("marlix2html-cli ", 0), 0u);
  EXPECT_TRUE(Holds(version.out, "MIT License")) << version.out;
  // Output that cannot be written is an error, not a success.
  CliRun full = RunCli(scratch, {"-V"}, "", "/dev/full");
  EXPECT_EQ(full.status, 8);
  EXPECT_EQ(full.err,
            "marlix2html-cli: cannot write to standard output: no space left on the device\n");
}

TEST(CommandLine, VerboseNamesEachFileAndCountsPerStep) {
  ScratchFolder scratch;
  const std::string out = scratch / "html";
  CliRun run = RunCli(scratch, {"-v", MARLIX_SAMPLES, scratch.Path(), "html"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(Holds(run.out, out + "/Index.htm\nIndex page: 1 file written\n")) << run.out;
  EXPECT_TRUE(Holds(run.out, "\n" + out + "/B0P0.htm\n")) << run.out;
  EXPECT_TRUE(Holds(run.out, "Topic pages: 52 files written\n")) << run.out;
  EXPECT_TRUE(Holds(run.out, out + "/toc.hhc\nHelp project: 3 files written\nConverted 4"))
      << run.out;

  // In either edition, every file of the new folder is named exactly once,
  // and the counts of the steps add up to them.
  for (const char* edition : {"classic", "web"}) {
    const std::string folder = scratch / edition;
    CliRun verbose = edition == std::string("web")
                         ? RunCli(scratch, {"-v", "--web", MARLIX_SAMPLES, scratch.Path(), edition})
                         : RunCli(scratch, {"-v", MARLIX_SAMPLES, scratch.Path(), edition});
    ASSERT_EQ(verbose.status, 0) << edition << verbose.err;
    std::string named;
    unsigned counted = 0;
    for (std::size_t start = 0; start < verbose.out.size();) {
      const std::size_t end = verbose.out.find('\n', start);
      const std::string line = verbose.out.substr(start, end - start);
      start = end + 1;
      if (line.rfind(folder + "/", 0) == 0) {
        named += (named.empty() ? "" : " ") + line.substr(folder.size() + 1);
      } else if (line.find(" written") != std::string::npos) {
        counted += static_cast<unsigned>(std::stoul(line.substr(line.find(": ") + 2)));
      }
    }
    std::string sorted;
    {
      std::vector<std::string> names;
      for (std::size_t start = 0; start <= named.size();) {
        std::size_t end = std::min(named.find(' ', start), named.size());
        names.push_back(named.substr(start, end - start));
        start = end + 1;
      }
      std::sort(names.begin(), names.end());
      for (const std::string& name : names) sorted += (sorted.empty() ? "" : " ") + name;
    }
    EXPECT_EQ(sorted, ListFolder(folder)) << edition;
    EXPECT_EQ(counted, static_cast<unsigned>(std::count(sorted.begin(), sorted.end(), ' ') + 1))
        << edition;
  }
}

// chmcmd runs on the finished folder; a stand-in on PATH plays a broken one.
TEST(CommandLine, CompileWithAndWithoutTheCompiler) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "bin");
  const std::string dest = scratch.Path();

  CliRun absent = RunCli(scratch, {"--compile", MARLIX_SAMPLES, dest, "absent"},
                         "PATH=" + Quoted(scratch / "bin"));
  EXPECT_EQ(absent.status, 7);
  EXPECT_TRUE(Holds(absent.err, "--compile: chmcmd is not installed")) << absent.err;
  EXPECT_TRUE(PathExists(scratch / "absent/Index.htm"));

  WriteFileBytes(scratch / "bin/chmcmd", "#!/bin/sh\necho \"compiling $1 in $(pwd)\"\nexit 3\n");
  std::filesystem::permissions(scratch / "bin/chmcmd", std::filesystem::perms::owner_all);
  CliRun failing = RunCli(scratch, {MARLIX_SAMPLES, dest, "failing", "--compile"},
                          "PATH=" + Quoted(scratch / "bin") + ":/bin:/usr/bin");
  EXPECT_EQ(failing.status, 7);
  EXPECT_TRUE(Holds(failing.out, "compiling Marlix.hhp in " + dest + "/failing\n")) << failing.out;
  EXPECT_TRUE(Holds(failing.err, "failing/Marlix.hhp failed: " + scratch / "bin/chmcmd" +
                                     " ended with exit status 3\n"))
      << failing.err;

  // The real compiler, which the test set-up installs.
  std::filesystem::remove(scratch / "bin/chmcmd");
  CliRun real = RunCli(scratch, {"--compile", MARLIX_SAMPLES, dest, "real"});
  EXPECT_EQ(real.status, 0) << real.err;
  EXPECT_TRUE(Holds(real.out, "Compiled " + dest + "/real/Marlix.chm\n")) << real.out;
  EXPECT_GT(std::filesystem::file_size(scratch / "real/Marlix.chm"), 1000u);
}

// The failures of a full disk, played in-process with a file system that
// refuses to create or write certain files.
TEST(CommandLine, LostOutputOutcomes) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "dest");
  const std::string dest = scratch / "dest";
  auto runInProcess = [&](const char* name, std::string& err, const char* option = "--") {
    const char* argv[] = {"marlix2html-cli", option, MARLIX_SAMPLES, dest.c_str(), name};
    std::FILE* out = std::tmpfile();
    std::FILE* errFile = std::tmpfile();
    int status = RunCommandLine(5, argv, out, errFile);
    std::rewind(errFile);
    char buffer[4096] = {};
    err.assign(buffer, std::fread(buffer, 1, sizeof buffer - 1, errFile));
    std::fclose(out);
    std::fclose(errFile);
    return status;
  };

  std::string err;
  {
    testing::FaultyFileSystem faulty;
    platform::ScopedFileSystem guard(faulty);
    faulty.refuseCreate = {"Index.htm"};
    EXPECT_EQ(runInProcess("unexpected", err), 5);
    EXPECT_EQ(err, "marlix2html-cli: Error: Unexpected error during conversion. \n" + dest +
                       "/unexpected/Index.htm: error: cannot be created: permission denied\n");
  }
  {
    // The new folder is made but cannot be opened to write into.
    testing::FaultyFileSystem faulty;
    platform::ScopedFileSystem guard(faulty);
    faulty.refuseHold = {"unheld"};
    EXPECT_EQ(runInProcess("unheld", err), 5);
    EXPECT_EQ(err, "marlix2html-cli: Error: Unexpected error during conversion. \n" + dest +
                       "/unheld: error: cannot open this new folder to write into it: permission "
                       "denied\n");
  }
  {
    // A folder of the docset's own that cannot be made is named.
    testing::FaultyFileSystem faulty;
    platform::ScopedFileSystem guard(faulty);
    faulty.refuseFolder = {"Resources"};
    EXPECT_EQ(runInProcess("folder", err, "--docset"), 5);
    EXPECT_EQ(err, "marlix2html-cli: Error: Unexpected error during conversion. \n" + dest +
                       "/folder.docset/Contents/Resources: error: cannot create this folder: "
                       "permission denied\n");
  }
  {
    // The docset's index cannot be made: the other files are written.
    testing::FaultyFileSystem faulty;
    platform::ScopedFileSystem guard(faulty);
    faulty.refuseCreate = {"docSet.dsidx"};
    EXPECT_EQ(runInProcess("index", err, "--docset"), 6);
    EXPECT_TRUE(Holds(err, dest + "/index.docset/Contents/Resources/docSet.dsidx: error: cannot "
                                  "be created: permission denied\n"))
        << err;
  }
  {
    testing::FaultyFileSystem faulty;
    platform::ScopedFileSystem guard(faulty);
    faulty.refuseCreate = {"toc.hhc"};
    faulty.diskFullFor = {"B0P0.htm"};
    faulty.diskFullAfterBytes = 10;
    faulty.vanishOnOpen = {"editor.txt"};
    faulty.vanishFromOpen = 2;  // after discovery
    EXPECT_EQ(runInProcess("incomplete", err), 6);
    EXPECT_EQ(FirstLine(err),
              "marlix2html-cli: Incomplete Conversion: Conversion finished, but some output files "
              "could not be written.\n");
    const std::string out = dest + "/incomplete/";
    EXPECT_TRUE(Holds(err, out + "B0P0.htm: error: not written in full: no space left on the "
                                 "device\n"))
        << err;
    EXPECT_TRUE(Holds(err, out + "toc.hhc: error: cannot be created: permission denied\n")) << err;
    EXPECT_TRUE(Holds(err, "/editor.txt: error: cannot be read again: does not exist\n")) << err;
  }
  {
    // A source file that cannot be opened is named with the reason.
    testing::FaultyFileSystem faulty;
    platform::ScopedFileSystem guard(faulty);
    faulty.refuseOpen = {"editor.txt"};
    EXPECT_EQ(runInProcess("unopened", err), 6);
    EXPECT_TRUE(Holds(err, std::string(MARLIX_SAMPLES) +
                               "/editor.txt: error: cannot be read: permission denied\n"))
        << err;
    EXPECT_TRUE(Holds(err, "could not be written, 1 source files unreadable.\n")) << err;
  }
  {
    // Only the first ten lost files are named.
    testing::FaultyFileSystem faulty;
    platform::ScopedFileSystem guard(faulty);
    for (int i = 0; i < 4; ++i) faulty.refuseCreate.insert("Topic" + std::to_string(i) + ".htm");
    for (int i = 0; i < 8; ++i) faulty.refuseCreate.insert("B0P" + std::to_string(i) + ".htm");
    EXPECT_EQ(runInProcess("many", err), 6);
    EXPECT_TRUE(Holds(err,
                      "B0P5.htm: error: cannot be created: permission denied\n... and 2 "
                      "more files\nmarlix2html-cli: 48 files written, 12 could not be "
                      "written"))
        << err;
  }
}

// The lines of text between the manual page's heading "from" and the next
// heading "to".
std::vector<std::string> ManualSection(const std::string& from, const std::string& to) {
  const std::string page = ReadFileBytes(MARLIX_MANUAL_PAGE);
  const std::size_t start = page.find(from + "\n");
  const std::size_t end = page.find(to + "\n", start);
  std::vector<std::string> lines;
  if (start == std::string::npos || end == std::string::npos) return lines;
  std::istringstream section(page.substr(start, end - start));
  for (std::string line; std::getline(section, line);) lines.push_back(line);
  return lines;
}

TEST(CommandLine, ManualPageListsTheOptionsOfHelpAndTheFilesOfEveryEdition) {
  std::FILE* out = std::tmpfile();
  const char* const argv[] = {"marlix2html-cli", "--help"};
  ASSERT_EQ(RunCommandLine(2, argv, out, stderr), 0);
  std::rewind(out);
  std::set<std::string> helpOptions;
  const std::regex helpLine("^  (?:-[a-zA-Z], |    )--([a-z][a-z-]*)");
  for (char line[256]; std::fgets(line, sizeof line, out) != nullptr;) {
    std::cmatch match;
    if (std::regex_search(line, match, helpLine)) helpOptions.insert(match[1]);
  }
  std::fclose(out);
  EXPECT_GT(helpOptions.size(), 5u);

  // Every item of OPTIONS is headed by its option, long form last.
  std::set<std::string> manualOptions;
  const std::vector<std::string> options = ManualSection(".SH OPTIONS", ".SH OUTPUT");
  const std::regex longOption(R"(\\-\\-([a-z][a-z-]*))");
  for (std::size_t i = 1; i < options.size(); ++i) {
    std::smatch match;
    if (options[i - 1] == ".TP" && std::regex_search(options[i], match, longOption)) {
      manualOptions.insert(match[1]);
    }
  }
  EXPECT_EQ(manualOptions, helpOptions);

  // OUTPUT: one subsection per edition, in the table's order, headed by its
  // label and its option.
  std::vector<std::string> headings;
  for (const std::string& line : ManualSection(".SH OUTPUT", ".SH SOURCE FORMAT")) {
    if (line.rfind(".SS ", 0) == 0) headings.push_back(line.substr(4));
  }
  std::vector<std::string> expected;
  for (const EditionRow& row : Editions()) {
    expected.push_back(std::string(row.label) + " (" +
                       (row.option == nullptr ? std::string("the default")
                                              : std::string("\\-\\-") + row.option) +
                       ")");
  }
  EXPECT_EQ(headings, expected);
}

// Memory that runs out part-way: the k-th allocation of a run and every later
// one is refused, std::string's and the like included, for each k in turn.
// No run may end by an exception or as a success; each says what happened in
// its first line, and the first run refused nothing completes.
TEST(CommandLine, MemoryThatRunsOutEndsTheRunWithItsOutcome) {
  ScratchFolder scratch;
  const std::string src = scratch / "src";
  const std::string dest = scratch / "dest";
  std::filesystem::create_directory(src);
  std::filesystem::create_directory(dest);
  WriteFileBytes(src + "/a.txt", "@A\r\n:One\r\n One\r\n ~missing~ and ~two~\r\n" +
                                     std::string(90, 'x') + "\r\n");
  WriteFileBytes(src + "/b.txt", "@B\r\n:Two\r\n Two\r\n back to ~one~ and ~gone~\r\n");
  WriteFileBytes(src + "/c.txt", "no mark");
  for (const char* option : {"--", "--web"}) {
    bool completed = false;
    for (std::uint64_t allowed = 0; allowed < 100000 && !completed; ++allowed) {
      const std::string name = std::string(option + 2) + std::to_string(allowed);
      const char* argv[] = {"marlix2html-cli", option, src.c_str(), dest.c_str(), name.c_str()};
      std::FILE* out = std::tmpfile();
      std::FILE* errFile = std::tmpfile();
      int status = -1;
      std::uint64_t refused = 0;
      bool threw = false;
      {
        ScopedAllocationFailure failure(allowed);
        newFailsPast = FailedAllocations();
        try {
          status = RunCommandLine(5, argv, out, errFile);
        } catch (...) {
          threw = true;
        }
        newFailsPast = kNewNeverFails;
        refused = failure.Refused();
      }
      std::rewind(errFile);
      char buffer[4096] = {};
      const std::string err(buffer, std::fread(buffer, 1, sizeof buffer - 1, errFile));
      std::fclose(out);
      std::fclose(errFile);
      ASSERT_FALSE(threw) << option << " refused after " << allowed;
      if (refused == 0) {
        EXPECT_EQ(status, 0) << err;
        completed = true;
      } else {
        ASSERT_NE(status, 0) << option << " refused after " << allowed;
        ASSERT_EQ(err.rfind("marlix2html-cli: ", 0), 0u) << err;
      }
    }
    EXPECT_TRUE(completed) << option;
  }
}

// Bytes of file names and of the sources reach the terminal escaped, so that
// none can move the cursor, retitle the window or forge a line of its own.
TEST(CommandLine, ControlBytesInNamesAndSourcesAreShownEscaped) {
  TextString shown;
  const char bytes[] = "a\x1b[2J\n\r\tz\x7f\x80\xff\x01 ~\\";
  EXPECT_TRUE(ShowBytes(shown, bytes, sizeof bytes - 1));
  EXPECT_EQ(std::string(shown.CStr()), "a\\x1b[2J\\n\\r\\tz\\x7f\\x80\\xff\\x01 ~\\");
  shown = "kept ";
  EXPECT_TRUE(ShowBytes(shown, "\0", 1));
  EXPECT_EQ(std::string(shown.CStr()), "kept \\x00");

  ScratchFolder scratch;
  const std::string src = scratch / "src";
  std::filesystem::create_directory(src);
  WriteFileBytes(src + "/a.txt", "@A\r\n:One\r\n One\r\n see ~\x1b]0;owned\x07" "caf\x82~\r\n");
  WriteFileBytes(src + "/b\nx: error: forged\x1b[2J.txt", "no mark");
  CliRun run = RunCli(scratch, {src, scratch.Path(), "out"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(Holds(run.err, src + "/b\\nx: error: forged\\x1b[2J.txt: warning: left out: its "
                                   "first byte is \"n\" (0x6E), not \"@\"\n"))
      << run.err;
  EXPECT_TRUE(Holds(run.err, "the first \"~\\x1b]0;owned\\x07caf\\x82~\"\n")) << run.err;
  EXPECT_EQ(run.err.find('\x1b'), std::string::npos);
}

}  // namespace
}  // namespace marlix
