// Times one process of the command-line benchmark as a whole: from the moment it is started to
// the moment it has exited, as its parent sees it.
//
//   process_timer TIMEFILE COMMAND [ARGUMENT...]
//
// Runs COMMAND with the ARGUMENTs (standard output and error as the timer's own), waits for it,
// and appends the time it took in microseconds as one line to TIMEFILE. The argument list is
// already built when the clock starts, so a shell's work of expanding 100,000 names is not part
// of the figure; starting the process with them is. Exit status: that of COMMAND, 127 when it
// could not be started, 126 when TIMEFILE could not be written.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

extern char** environ;

namespace {

long long microsecondsNow() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: process_timer TIMEFILE COMMAND [ARGUMENT...]\n");
    return 2;
  }
  const long long start = microsecondsNow();
  pid_t child = 0;
  if (::posix_spawnp(&child, argv[2], nullptr, nullptr, argv + 2, environ) != 0) return 127;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return 127;
  }
  const long long end = microsecondsNow();
  std::FILE* times = std::fopen(argv[1], "a");
  if (!times || std::fprintf(times, "%lld\n", end - start) < 0 || std::fclose(times) != 0) return 126;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}
