// The lock of a directory, held while files are replaced in it (flock).
#pragma once

#include <functional>
#include <string>

namespace sc::platform {

// How a writer waits for a directory another process holds locked. One
// setting for the whole process, made by its command line.
struct LockWaiting {
  // Give up after this many seconds; negative: wait as long as it takes.
  double limit_seconds = -1;
  // Called once when the directory is found locked, with the process that
  // holds it (0 when the system does not tell).
  std::function<void(const std::string& dir, long holder)> on_wait;
  // Asked while waiting and once the lock is held: true ends the wait and
  // the writer writes nothing (a Ctrl-C that the program handles itself).
  std::function<bool()> stop;
};
void set_lock_waiting(LockWaiting w);
const LockWaiting& lock_waiting();

// Holds the lock of `dir` while it lives. Locks by the same process on the
// same directory go on while it is held; another process's wait as
// lock_waiting() says. A directory that cannot be opened or a file system
// without locks leaves it unlocked (`held()` false, `outcome()` unlocked).
class FolderLock {
 public:
  enum class Outcome { held, unlocked, gave_up, stopped };

  explicit FolderLock(const std::string& dir);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool held() const { return key_ != nullptr; }
  Outcome outcome() const { return outcome_; }

  struct Key;  // a directory held locked by this process

 private:
  Key* key_ = nullptr;
  Outcome outcome_ = Outcome::unlocked;
};

// The process that holds a lock on the directory `dir` (dev, inode) as the
// system lists its locks, or 0.
long lock_holder(unsigned long long dev, unsigned long long ino);

// The message of a wait that ended without the lock, naming `dir`.
std::string lock_failure(FolderLock::Outcome o, const std::string& dir);

}  // namespace sc::platform
