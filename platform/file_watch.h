// Watching files for saves (inotify). The directories that hold the files
// are watched, not the files themselves: editors often save by writing a
// new file and renaming it over the old one, which a watch on the old file
// would miss. A directory that is replaced (moved away and another put
// in its place, or removed and made again) is followed: the watch moves to
// the directory that now has the name.
#pragma once

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

namespace sc::platform {

class FileWatch {
 public:
  // Watches the directories of `files`. `error()` says why when that failed.
  explicit FileWatch(const std::vector<std::string>& files);
  ~FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  const std::string& error() const { return error_; }

  // Waits until one of the files is written, created, moved in or removed,
  // then waits for `quiet` without further events (a save is often several
  // writes) and returns true. Returns false once `stop` is set (checked at
  // least every 100 ms), or on a failure of the watch (error() says).
  // `deadline`, when given, ends the wait with false after that long.
  bool wait_for_change(const volatile std::sig_atomic_t& stop, std::chrono::milliseconds quiet,
                       std::optional<std::chrono::milliseconds> deadline);

  // For an event loop of its own: the descriptor that becomes readable on
  // an event, and the reading of what is pending (true when an event names
  // one of the files).
  int fd() const { return fd_; }
  bool read_events();

  // Moves the watch of each directory that was replaced or removed to the
  // directory now at its name; true when one was (its files may have
  // changed). wait_for_change calls it on every turn; an event loop of its
  // own calls it now and then (a replaced directory sends no event).
  bool follow_replaced_directories();

 private:
  int fd_ = -1;
  struct Entry {
    int wd;
    std::string name;  // file name inside the watched directory
    std::string dir;   // the directory, as named
    // The directory watched (device and inode); `present` false while
    // nothing stands at its name.
    unsigned long long device = 0, inode = 0;
    bool present = true;
    bool stale = false;  // its watch dropped (the directory removed or moved)
  };
  std::vector<Entry> entries_;
  std::string error_;
};

// Local wall-clock time as HH:MM:SS.
std::string local_time();

}  // namespace sc::platform
