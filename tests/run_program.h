// The shared helpers of the end-to-end tests. run_program runs the
// built program (or a copy of it) in a child process, in a given working
// directory and without DISPLAY, and captures its exit status, standard
// output and standard error; optionally as an ordinary user (root may write
// anywhere) or with a limit on the size of the files it may write (a disk
// that fills during a write).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_dir.h"

namespace sc::test {

struct ProgramRun {
  std::vector<std::string> args;
  std::string cwd;
  std::string program = SC_PROGRAM;  // a copy elsewhere writes its files there
  bool without_root = false;         // run as nobody when root
  std::optional<rlim_t> file_limit;  // RLIMIT_FSIZE in bytes
  std::chrono::seconds limit{120};
  std::vector<std::pair<std::string, std::string>> env;  // variables set for the run
};

struct ProgramOutcome {
  int status = -1;  // exit status, or 128 + the signal that ended it
  std::string out, err;
  double seconds = 0;      // wall time from start to exit
  double cpu_seconds = 0;  // processor time of the run (user and system)
};

inline ProgramOutcome run_program(const ProgramRun& e) {
  TempDir outputs;
  ::chmod(outputs.path().c_str(), 0777);
  const std::string out_path = outputs / "out", err_path = outputs / "err";
  // An ordinary user may not reach the build's folder (a checkout in a
  // private temporary folder): the build's program is run as a copy from
  // the open folder here. (A copy placed by the test is run where it is: it
  // writes its files beside itself.)
  std::string program = e.program;
  if (e.without_root && ::geteuid() == 0 && program == SC_PROGRAM) {
    program = outputs / "scenario-compiler";
    std::filesystem::copy_file(e.program, program);
    ::chmod(program.c_str(), 0755);
  }
  std::vector<char*> argv{const_cast<char*>("scenario-compiler")};
  for (const std::string& a : e.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto inizio = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::unsetenv("DISPLAY");
    for (const auto& [nome, valore] : e.env) ::setenv(nome.c_str(), valore.c_str(), 1);
    if (::chdir(e.cwd.c_str()) != 0) ::_exit(120);
    const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(121);
    if (e.file_limit) {
      // Past the limit a write fails with EFBIG, as on a full disk, instead
      // of the signal ending the process.
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit r{*e.file_limit, *e.file_limit};
      if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(122);
    }
    if (e.without_root && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
      ::_exit(124);
    ::execv(program.c_str(), argv.data());
    ::_exit(123);
  }
  ProgramOutcome r;
  int status = 0;
  rusage usage{};
  const auto deadline = inizio + e.limit;
  while (::wait4(pid, &status, WNOHANG, &usage) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      ADD_FAILURE() << "the program did not end within " << e.limit.count() << " s";
      return r;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count();
  const auto seconds_of = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  r.cpu_seconds = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = read_bytes(out_path);
  r.err = read_bytes(err_path);
  return r;
}

// The program run with `args` in the working directory `cwd`.
inline ProgramOutcome run_program(const std::string& cwd, std::vector<std::string> args) {
  ProgramRun e;
  e.args = std::move(args);
  e.cwd = cwd;
  return run_program(e);
}

using Contents = std::map<std::string, std::string>;

// Every entry of `dir` with its bytes ("<dir>" for a directory), hidden ones,
// such as a temporary file left behind, included.
inline Contents contents(const std::string& dir) {
  Contents m;
  for (const std::string& n : list_dir(dir))
    m[n] = std::filesystem::is_directory(dir + "/" + n) ? "<dir>" : read_bytes(dir + "/" + n);
  return m;
}

// Replaces the first `from` in `text` by `a`; `from` must be there.
inline void replace(std::string& text, const std::string& from, const std::string& a) {
  const size_t i = text.find(from);
  ASSERT_NE(i, std::string::npos) << from;
  text.replace(i, from.size(), a);
}

}  // namespace sc::test
