// Runs a command once, its output discarded, and prints on one line its
// wall time from start to exit (microseconds), its peak resident memory
// (KiB) and its processor time, user plus system (microseconds); the exit
// status is its own. The timing lies inside this program, so the start of a
// shell or of this program is not counted.
//
//   sc-stopwatch COMMAND [ARGS...]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace {

long long micro(const timespec& t) { return t.tv_sec * 1000000LL + t.tv_nsec / 1000; }
long long micro(const timeval& t) { return t.tv_sec * 1000000LL + t.tv_usec; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sc-stopwatch COMMAND [ARGS...]\n");
    return 2;
  }
  timespec t0{}, t1{};
  ::clock_gettime(CLOCK_MONOTONIC, &t0);
  const pid_t pid = ::fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    const int nothing = ::open("/dev/null", O_WRONLY);
    ::dup2(nothing, 1);
    ::dup2(nothing, 2);
    ::execvp(argv[1], argv + 1);
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) return 2;
  ::clock_gettime(CLOCK_MONOTONIC, &t1);
  std::printf("%lld %ld %lld\n", micro(t1) - micro(t0), usage.ru_maxrss,
              micro(usage.ru_utime) + micro(usage.ru_stime));
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}
