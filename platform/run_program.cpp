#include "platform/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace sc::platform {

int run_instead(const std::string& path, char** argv) {
  ::execv(path.c_str(), argv);
  return errno;
}

bool is_executable_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::unique_ptr<ConnectedProgram> ConnectedProgram::start(const std::string& path,
                                                          const std::vector<std::string>& args,
                                                          int& error) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    error = errno;
    return nullptr;
  }
  // The child's end above the standard descriptors, so that its dup2 onto
  // them always clears close-on-exec (one of them may be closed here).
  const int theirs = ::fcntl(ends[1], F_DUPFD_CLOEXEC, 3);
  ::close(ends[1]);
  if (theirs < 0) {
    error = errno;
    ::close(ends[0]);
    return nullptr;
  }
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, theirs, 0);
  ::posix_spawn_file_actions_adddup2(&actions, theirs, 1);
  pid_t pid = -1;
  // posix_spawn reports a program that cannot be executed by its result.
  const int r = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(theirs);
  if (r != 0) {
    error = r;
    ::close(ends[0]);
    return nullptr;
  }
  return std::unique_ptr<ConnectedProgram>(new ConnectedProgram(pid, ends[0]));
}

ConnectedProgram::~ConnectedProgram() {
  ::close(connection_);
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > limit) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool ConnectedProgram::send(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::send(connection_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::optional<std::string> ConnectedProgram::receive_line(
    std::optional<std::chrono::milliseconds> timeout) {
  const auto limit =
      std::chrono::steady_clock::now() + timeout.value_or(std::chrono::milliseconds(0));
  for (;;) {
    if (const size_t end = received_.find('\n'); end != std::string::npos) {
      std::string line = received_.substr(0, end);
      received_.erase(0, end + 1);
      return line;
    }
    int wait_ms = -1;
    if (timeout) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          limit - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      wait_ms = static_cast<int>(left.count());
    }
    pollfd p{connection_, POLLIN, 0};
    const int ready = ::poll(&p, 1, wait_ms);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    char buf[256];
    const ssize_t n = ::recv(connection_, buf, sizeof buf, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    received_.append(buf, static_cast<size_t>(n));
  }
}

}  // namespace sc::platform
