// Watching description files for changes (platform/file_watch.h).
#pragma once

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_watch.h"

namespace sc {

class Watcher {
 public:
  // Watches the directories of `files`. `errore()` says why when that failed.
  explicit Watcher(const std::vector<std::string>& files) : watch_(files) {}

  const std::string& errore() const { return watch_.error(); }

  // Waits until one of the files is written, created, moved in or removed,
  // then waits for `quiet` without further events (a save is often several
  // writes) and returns true. Returns false once `stop` is set (checked at
  // least every 100 ms), or on a failure of the watch (errore() says).
  // `deadline`, when given, ends the wait with false after that long.
  bool wait_for_change(const volatile std::sig_atomic_t& stop,
                       std::chrono::milliseconds quiet = std::chrono::milliseconds(100),
                       std::optional<std::chrono::milliseconds> deadline = std::nullopt) {
    return watch_.wait_for_change(stop, quiet, deadline);
  }

  // For an event loop of its own: the descriptor that becomes readable on
  // an event, and the reading of what is pending (true when an event names
  // one of the files).
  int fd() const { return watch_.fd(); }
  bool read_events() { return watch_.read_events(); }
  // A replaced or removed directory followed to what now has its name; true
  // when one was (platform/file_watch.h).
  bool follow_replaced_directories() { return watch_.follow_replaced_directories(); }

 private:
  platform::FileWatch watch_;
};

// Local wall-clock time as HH:MM:SS, for the lines of a watch.
inline std::string local_time() { return platform::local_time(); }

}  // namespace sc
