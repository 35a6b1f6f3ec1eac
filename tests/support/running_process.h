// A run of the built program that the test talks to while it runs: its
// standard output and error go to files the test reads as they grow, and the
// test ends it with a signal.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_dir.h"

namespace sc::test {

class RunningProcess {
 public:
  // Starts `program` with `args` in `cwd`; `env` entries are set in
  // the child (an empty value unsets the variable).
  // Its standard input is a pipe the test writes to with `write`.
  RunningProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& cwd, const std::map<std::string, std::string>& env = {})
      : out_(outputs_ / "out"), err_(outputs_ / "err") {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipe_fds[2] = {-1, -1};
    if (::pipe(pipe_fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(pipe_fds[1]);
      if (::dup2(pipe_fds[0], 0) < 0) ::_exit(122);
      for (const auto& [k, v] : env) {
        if (v.empty())
          ::unsetenv(k.c_str());
        else
          ::setenv(k.c_str(), v.c_str(), 1);
      }
      if (::chdir(cwd.c_str()) != 0) ::_exit(120);
      const int o = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      const int e = ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0) ::_exit(121);
      ::execv(program.c_str(), argv.data());
      ::_exit(123);
    }
    ::close(pipe_fds[0]);
    input_ = pipe_fds[1];
  }
  ~RunningProcess() {
    if (input_ >= 0) ::close(input_);
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  RunningProcess(const RunningProcess&) = delete;
  RunningProcess& operator=(const RunningProcess&) = delete;

  std::string out() const { return so_far(out_); }
  std::string err() const { return so_far(err_); }

  // Waits until `condition` holds (true) or `limit` passes (false).
  bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
  }
  // Waits until standard output holds `text` `times` times.
  bool wait_out(const std::string& text, int times = 1,
                std::chrono::milliseconds limit = std::chrono::seconds(20)) const {
    return wait_until([&] { return count(out(), text) >= times; }, limit);
  }
  static int count(const std::string& s, const std::string& t) {
    int n = 0;
    for (size_t i = s.find(t); i != std::string::npos; i = s.find(t, i + t.size())) ++n;
    return n;
  }

  // Exit status (or 128 + signal) once it ended within `limit`, else none.
  std::optional<int> end(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    if (status_) return status_;
    wait_until(
        [&] {
          int s = 0;
          if (::waitpid(pid_, &s, WNOHANG) != pid_) return false;
          status_ = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
          return true;
        },
        limit);
    return status_;
  }
  void segnale(int s) const { ::kill(pid_, s); }
  // Writes `text` to its standard input.
  bool write(const std::string& text) const {
    return input_ >= 0 &&
           ::write(input_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }
  pid_t pid() const { return pid_; }

 private:
  // What the file holds so far ("" before the child created it).
  static std::string so_far(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TempDir outputs_;
  std::string out_, err_;
  pid_t pid_ = -1;
  int input_ = -1;
  std::optional<int> status_;
};

}  // namespace sc::test
