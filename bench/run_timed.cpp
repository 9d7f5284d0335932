// Runs one command and prints how long it took, in microseconds: its wall
// time and its processor time (user + system, its own and its children's),
// as "WALL CPU". The benchmark script times every writer with it.
//
//   run_timed COMMAND [ARGUMENT]...
//
// The command's standard output and error go to /dev/null. Exits with 2 when
// the command cannot be started or does not end with status 0.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <ctime>

namespace {

std::int64_t Microseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

std::int64_t Microseconds(const timeval& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000 + t.tv_usec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: run_timed COMMAND [ARGUMENT]...\n");
    return 2;
  }
  timespec start{};
  ::clock_gettime(CLOCK_MONOTONIC, &start);
  const pid_t child = ::fork();
  if (child < 0) return 2;
  if (child == 0) {
    const int quiet = ::open("/dev/null", O_WRONLY);
    if (quiet >= 0) {
      ::dup2(quiet, 1);
      ::dup2(quiet, 2);
    }
    ::execvp(argv[1], argv + 1);
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child) return 2;
  timespec end{};
  ::clock_gettime(CLOCK_MONOTONIC, &end);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "run_timed: %s failed\n", argv[1]);
    return 2;
  }
  std::printf("%lld %lld\n", static_cast<long long>(Microseconds(end) - Microseconds(start)),
              static_cast<long long>(Microseconds(usage.ru_utime) + Microseconds(usage.ru_stime)));
  return 0;
}
