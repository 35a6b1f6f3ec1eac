#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

namespace sc::platform {

struct FolderLock::Key {
  dev_t dev;
  ino_t ino;
  int fd;
  int count;
};

namespace {
std::mutex registry_mutex;
std::vector<FolderLock::Key*>& registry() {
  static std::vector<FolderLock::Key*> r;
  return r;
}
}  // namespace

FolderLock::FolderLock(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return;
  }
  std::lock_guard<std::mutex> g(registry_mutex);
  for (Key* k : registry()) {
    if (k->dev == st.st_dev && k->ino == st.st_ino) {  // held already by this process
      ++k->count;
      key_ = k;
      ::close(fd);
      return;
    }
  }
  int r;
  do r = ::flock(fd, LOCK_EX);
  while (r != 0 && errno == EINTR);
  if (r != 0) {  // a file system without locks
    ::close(fd);
    return;
  }
  key_ = new Key{st.st_dev, st.st_ino, fd, 1};
  registry().push_back(key_);
}

FolderLock::~FolderLock() {
  if (key_ == nullptr) return;
  std::lock_guard<std::mutex> g(registry_mutex);
  if (--key_->count > 0) return;
  std::vector<Key*>& r = registry();
  r.erase(std::find(r.begin(), r.end(), key_));
  ::close(key_->fd);  // releases the lock
  delete key_;
}

}  // namespace sc::platform
