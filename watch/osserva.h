// Watching description files for changes (inotify). The directories that
// hold the files are watched, not the files themselves: editors often save
// by writing a new file and renaming it over the old one, which a watch on
// the old file would miss.
#pragma once

#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sc {

class Osservatore {
 public:
  // Watches the directories of `files`. `errore()` says why when that failed.
  explicit Osservatore(const std::vector<std::string>& files);
  ~Osservatore();
  Osservatore(const Osservatore&) = delete;
  Osservatore& operator=(const Osservatore&) = delete;

  const std::string& errore() const { return errore_; }

  // Waits until one of the files is written, created, moved in or removed,
  // then waits for `quiete` without further events (a save is often several
  // writes) and returns true. Returns false once `fermo` is set (checked at
  // least every 100 ms), or on a failure of the watch (errore() says).
  // `scadenza`, when given, ends the wait with false after that long.
  bool attendi_modifica(const volatile std::sig_atomic_t& fermo,
                        std::chrono::milliseconds quiete = std::chrono::milliseconds(100),
                        std::optional<std::chrono::milliseconds> scadenza = std::nullopt);

  // For an event loop of its own: the descriptor that becomes readable on
  // an event, and the reading of what is pending (true when an event names
  // one of the files).
  int fd() const { return fd_; }
  bool leggi_eventi();

 private:
  int fd_ = -1;
  struct Voce {
    int wd;
    std::string nome;  // file name inside the watched directory
  };
  std::vector<Voce> voci_;
  std::string errore_;
};

// Local wall-clock time as HH:MM:SS, for the lines of a watch.
std::string ora_locale();

}  // namespace sc
