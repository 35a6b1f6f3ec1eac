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

class ProcessoInCorso {
 public:
  // Starts `programma` with `args` in `cwd`; `ambiente` entries are set in
  // the child (an empty value unsets the variable).
  // Its standard input is a pipe the test writes to with `scrivi`.
  ProcessoInCorso(const std::string& programma, const std::vector<std::string>& args, const std::string& cwd,
                  const std::map<std::string, std::string>& ambiente = {})
      : out_(uscite_ / "out"), err_(uscite_ / "err") {
    std::vector<char*> argv{const_cast<char*>(programma.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int tubo[2] = {-1, -1};
    if (::pipe(tubo) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(tubo[1]);
      if (::dup2(tubo[0], 0) < 0) ::_exit(122);
      for (const auto& [k, v] : ambiente) {
        if (v.empty()) ::unsetenv(k.c_str());
        else ::setenv(k.c_str(), v.c_str(), 1);
      }
      if (::chdir(cwd.c_str()) != 0) ::_exit(120);
      const int o = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      const int e = ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0) ::_exit(121);
      ::execv(programma.c_str(), argv.data());
      ::_exit(123);
    }
    ::close(tubo[0]);
    ingresso_ = tubo[1];
  }
  ~ProcessoInCorso() {
    if (ingresso_ >= 0) ::close(ingresso_);
    if (pid_ > 0 && !stato_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  ProcessoInCorso(const ProcessoInCorso&) = delete;
  ProcessoInCorso& operator=(const ProcessoInCorso&) = delete;

  std::string out() const { return finora(out_); }
  std::string err() const { return finora(err_); }

  // Waits until `condizione` holds (true) or `limite` passes (false).
  bool attendi(const std::function<bool()>& condizione, std::chrono::milliseconds limite) const {
    const auto fine = std::chrono::steady_clock::now() + limite;
    while (std::chrono::steady_clock::now() < fine) {
      if (condizione()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condizione();
  }
  // Waits until standard output holds `testo` `volte` times.
  bool attendi_out(const std::string& testo, int volte = 1,
                   std::chrono::milliseconds limite = std::chrono::seconds(20)) const {
    return attendi([&] { return conta(out(), testo) >= volte; }, limite);
  }
  static int conta(const std::string& s, const std::string& t) {
    int n = 0;
    for (size_t i = s.find(t); i != std::string::npos; i = s.find(t, i + t.size())) ++n;
    return n;
  }

  // Exit status (or 128 + signal) once it ended within `limite`, else none.
  std::optional<int> fine(std::chrono::milliseconds limite = std::chrono::seconds(10)) {
    if (stato_) return stato_;
    attendi([&] {
      int s = 0;
      if (::waitpid(pid_, &s, WNOHANG) != pid_) return false;
      stato_ = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
      return true;
    }, limite);
    return stato_;
  }
  void segnale(int s) const { ::kill(pid_, s); }
  // Writes `testo` to its standard input.
  bool scrivi(const std::string& testo) const {
    return ingresso_ >= 0 && ::write(ingresso_, testo.data(), testo.size()) == static_cast<ssize_t>(testo.size());
  }
  pid_t pid() const { return pid_; }

 private:
  // What the file holds so far ("" before the child created it).
  static std::string finora(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TempDir uscite_;
  std::string out_, err_;
  pid_t pid_ = -1;
  int ingresso_ = -1;
  std::optional<int> stato_;
};

}  // namespace sc::test
