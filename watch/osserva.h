// Watching description files for changes (platform/file_watch.h).
#pragma once

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_watch.h"

namespace sc {

class Osservatore {
 public:
  // Watches the directories of `files`. `errore()` says why when that failed.
  explicit Osservatore(const std::vector<std::string>& files) : watch_(files) {}

  const std::string& errore() const { return watch_.error(); }

  // Waits until one of the files is written, created, moved in or removed,
  // then waits for `quiete` without further events (a save is often several
  // writes) and returns true. Returns false once `fermo` is set (checked at
  // least every 100 ms), or on a failure of the watch (errore() says).
  // `scadenza`, when given, ends the wait with false after that long.
  bool attendi_modifica(const volatile std::sig_atomic_t& fermo,
                        std::chrono::milliseconds quiete = std::chrono::milliseconds(100),
                        std::optional<std::chrono::milliseconds> scadenza = std::nullopt) {
    return watch_.wait_for_change(fermo, quiete, scadenza);
  }

  // For an event loop of its own: the descriptor that becomes readable on
  // an event, and the reading of what is pending (true when an event names
  // one of the files).
  int fd() const { return watch_.fd(); }
  bool leggi_eventi() { return watch_.read_events(); }

 private:
  platform::FileWatch watch_;
};

// Local wall-clock time as HH:MM:SS, for the lines of a watch.
inline std::string ora_locale() { return platform::local_time(); }

}  // namespace sc
