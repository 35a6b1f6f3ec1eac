// A private X server for tests that draw windows: Xvfb on the first free
// display, stopped when the object goes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace sc::test {

class ServerXvfb {
 public:
  static constexpr const char* program = "/usr/bin/Xvfb";

  static bool installed() { return ::access(program, X_OK) == 0; }

  // Starts the server with one screen of `screen` ("640x480x24"); the
  // display is empty and `errore` says why when it did not start. Xvfb
  // writes the number of the display it took on the pipe once it accepts
  // connections.
  explicit ServerXvfb(const char* screen) {
    int fds[2];
    if (::pipe(fds) != 0) {
      error_ = "pipe failed";
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, 1);
      ::dup2(null, 2);
      const std::string fd = std::to_string(fds[1]);
      ::execl(program, "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    std::string numero;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') numero += c;
    ::close(fds[0]);
    if (numero.empty()) {
      error_ = "Xvfb did not start within 10 s";
    } else {
      display_ = ":" + numero;
    }
  }

  ServerXvfb(const ServerXvfb&) = delete;
  ServerXvfb& operator=(const ServerXvfb&) = delete;

  ~ServerXvfb() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  const std::string& display() const { return display_; }
  const std::string& errore() const { return error_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string error_;
};

}  // namespace sc::test
