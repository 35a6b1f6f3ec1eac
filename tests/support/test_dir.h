// Test helpers for the app tests (and the end-to-end tests, which build on
// them): a temporary directory removed afterwards, whole-file reads,
// directory listings, the names of the built-in scenario's files, and
// running a check in a child process without root's right to write
// anywhere.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace sc::test {

// The files of the built-in scenario "Corvale_Pravena AV", train 409: the
// two descriptions, the three documents and the three compiled files.
namespace file_scenario {
inline const std::string linea_txt = "Corvale_Pravena AV_linea.txt";
inline const std::string treno_txt = "Corvale_Pravena AV_409-.txt";
inline const std::string note = "Corvale_Pravena AV_409_note.txt";
inline const std::string rallentamenti = "Corvale_Pravena AV_409_rallentamenti.txt";
inline const std::string scheda = "Corvale_Pravena AV_409_scheda_treno.txt";
inline const std::string linea_dat = "Corvale_Pravena AV_linea.dat";
inline const std::string sim = "Corvale_Pravena AV_409.sim";
inline const std::string dat = "Corvale_Pravena AV_409.dat";
}  // namespace file_scenario

class TempDir {
 public:
  TempDir() {
    std::string model = (std::filesystem::temp_directory_path() / "sc-app-XXXXXX").string();
    if (::mkdtemp(model.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = model;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

// The names in `dir`, hidden ones included.
inline std::set<std::string> list_dir(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.insert(e.path().filename().string());
  return names;
}

// Runs `f` in a child process and returns what `f` returned. With
// `without_root`, a run as root becomes an ordinary user first (root may write
// into read-only directories); the files `f` uses must be open to others.
inline std::string in_child_process(const std::function<std::string()>& f, bool without_root) {
  int fds[2];
  if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::close(fds[0]);
    if (without_root && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
      ::_exit(2);
    const std::string r = f();
    const bool ok = ::write(fds[1], r.data(), r.size()) == static_cast<ssize_t>(r.size());
    ::_exit(ok ? 0 : 3);
  }
  ::close(fds[1]);
  std::string r;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) r.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("child process failed");
  return r;
}

}  // namespace sc::test
