// The lock of a directory, held while files are replaced in it (flock).
#pragma once

#include <string>

namespace sc::platform {

// Holds the lock of `dir` while it lives. Locks by the same process on the
// same directory go on while it is held; another process's wait. A
// directory that cannot be opened or a file system without locks leaves it
// unlocked (`held()` false).
class FolderLock {
 public:
  explicit FolderLock(const std::string& dir);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool held() const { return key_ != nullptr; }

  struct Key;  // a directory held locked by this process

 private:
  Key* key_ = nullptr;
};

}  // namespace sc::platform
