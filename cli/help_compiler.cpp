#include "cli/help_compiler.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/editions/classic/help_project.h"

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace marlix {
namespace {

constexpr char kCompiler[] = "chmcmd";

#ifdef _WIN32
constexpr char kListSeparator = ';';
constexpr const char* kExtensions[] = {".exe", ".bat", ".cmd"};
#else
constexpr char kListSeparator = ':';
constexpr const char* kExtensions[] = {""};
#endif

bool IsExecutableFile(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
#ifdef _WIN32
  return true;
#else
  return ::access(path.c_str(), X_OK) == 0;
#endif
}

// Runs program with one argument inside folder; its exit status, or -1 when
// it could not be started or did not end normally.
int RunInFolder(const std::string& program, const std::string& folder, const char* argument,
                bool quiet) {
  std::fflush(stdout);
  std::fflush(stderr);
#ifdef _WIN32
  (void)quiet;
  char* previous = _getcwd(nullptr, 0);
  if (previous == nullptr || _chdir(folder.c_str()) != 0) {
    std::free(previous);
    return -1;
  }
  const char* argv[] = {program.c_str(), argument, nullptr};
  intptr_t status = _spawnv(_P_WAIT, program.c_str(), argv);
  if (_chdir(previous) != 0) status = -1;
  std::free(previous);
  return status < 0 ? -1 : static_cast<int>(status);
#else
  pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (quiet) {
      int null = ::open("/dev/null", O_WRONLY);
      if (null >= 0) ::dup2(null, STDOUT_FILENO);
    }
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument), nullptr};
    ::execv(program.c_str(), argv);
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

}  // namespace

std::string FindProgram(const std::string& program) {
  if (program.find('/') != std::string::npos) return IsExecutableFile(program) ? program : "";
  const char* path = std::getenv("PATH");
  if (path == nullptr) return "";
  const char* start = path;
  while (true) {
    const char* end = std::strchr(start, kListSeparator);
    std::size_t length = end ? static_cast<std::size_t>(end - start) : std::strlen(start);
    for (const char* extension : kExtensions) {
      // An empty entry of PATH is the current folder.
      std::string candidate = length > 0 ? std::string(start, length) : std::string(1, '.');
      candidate.push_back('/');
      candidate.append(program);
      candidate.append(extension);
      if (IsExecutableFile(candidate)) return candidate;
    }
    if (end == nullptr) return "";
    start = end + 1;
  }
}

CompileReport CompileHelpProject(const std::string& folder, bool quiet) {
  CompileReport report;
  std::string compiler = FindProgram(kCompiler);
  if (compiler.empty()) {
    report.result = CompileResult::NotInstalled;
    return report;
  }
  int status = RunInFolder(compiler, folder, kProjectFileName, quiet);
  std::string compiled = folder + "/" + kCompiledHelpName;
  struct stat info;
  if (status < 0) {
    report.detail = compiler + " could not be run or did not end normally";
  } else if (status != 0) {
    report.detail = compiler + " ended with exit status " + std::to_string(status);
  } else if (::stat(compiled.c_str(), &info) != 0 || info.st_size == 0) {
    // The compiler reports some failures (a missing project file, for one)
    // with status 0; no compiled file is a failure all the same.
    report.detail = compiler + " made no " + kCompiledHelpName;
  } else {
    report.result = CompileResult::Compiled;
  }
  return report;
}

}  // namespace marlix
