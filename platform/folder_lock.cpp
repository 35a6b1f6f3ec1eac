#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
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

LockWaiting& waiting() {
  static LockWaiting w;
  return w;
}

double seconds_now() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Takes the lock of `fd`, waiting as lock_waiting() says.
FolderLock::Outcome take(int fd, const std::string& dir, const struct stat& st) {
  const LockWaiting& w = waiting();
  bool told = false;
  const double start = seconds_now();
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // Stopped: the caller closes `fd`, which lets the lock go.
      if (w.stop && w.stop()) return FolderLock::Outcome::stopped;
      return FolderLock::Outcome::held;
    }
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return FolderLock::Outcome::unlocked;  // no locks here
    if (w.stop && w.stop()) return FolderLock::Outcome::stopped;
    if (!told) {
      told = true;
      if (w.on_wait) w.on_wait(dir, lock_holder(st.st_dev, st.st_ino));
    }
    if (w.limit_seconds >= 0 && seconds_now() - start >= w.limit_seconds)
      return FolderLock::Outcome::gave_up;
    // A signal ends the sleep early; the loop then asks `stop` again.
    const timespec pause{0, 20 * 1000 * 1000};
    ::nanosleep(&pause, nullptr);
  }
}
}  // namespace

void set_lock_waiting(LockWaiting w) { waiting() = std::move(w); }
const LockWaiting& lock_waiting() { return waiting(); }

long lock_holder(unsigned long long dev, unsigned long long ino) {
  // Lines such as "1: FLOCK  ADVISORY  WRITE 1234 fd:01:5678 0 EOF".
  std::ifstream in("/proc/locks");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string number, kind, mode, access, where;
    long pid = 0;
    if (!(s >> number >> kind >> mode >> access >> pid >> where)) continue;
    if (kind != "FLOCK" || access != "WRITE") continue;
    unsigned int major = 0, minor = 0;
    unsigned long long inode = 0;
    if (std::sscanf(where.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) continue;
    if (inode == ino && ::makedev(major, minor) == dev && pid > 0) return pid;
  }
  return 0;
}

std::string lock_failure(FolderLock::Outcome o, const std::string& dir) {
  if (o == FolderLock::Outcome::stopped)
    return "stopped while waiting to write into \"" + dir + "\"; nothing written";
  std::ostringstream s;
  s << "gave up after " << waiting().limit_seconds << " s waiting for another run writing into \""
    << dir << "\"; nothing written";
  return s.str();
}

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
      outcome_ = Outcome::held;
      ::close(fd);
      return;
    }
  }
  outcome_ = take(fd, dir, st);
  if (outcome_ != Outcome::held) {  // a file system without locks, or a wait that ended
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
