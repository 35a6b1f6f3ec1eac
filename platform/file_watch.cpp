#include "platform/file_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace sc::platform {

namespace {

constexpr uint32_t save_events = IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_DELETE |
                                 IN_MOVED_FROM | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
// The watched directory itself removed or moved away, or its watch gone.
constexpr uint32_t directory_gone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;

}  // namespace

FileWatch::FileWatch(const std::vector<std::string>& files) {
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) {
    error_ = std::string("cannot watch for changes: ") + std::strerror(errno);
    return;
  }
  for (const std::string& f : files) {
    const std::filesystem::path p(f);
    std::string dir = p.parent_path().string();
    if (dir.empty()) dir = ".";
    const int wd = ::inotify_add_watch(fd_, dir.c_str(), save_events);
    if (wd < 0) {
      error_ = "cannot watch the directory \"" + dir + "\": " + std::strerror(errno);
      return;
    }
    Entry e{wd, p.filename().string(), dir};
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) {
      e.device = st.st_dev;
      e.inode = st.st_ino;
    }
    entries_.push_back(std::move(e));
  }
}

FileWatch::~FileWatch() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileWatch::read_events() {
  bool relevant = false;
  alignas(inotify_event) char buf[8192];
  for (;;) {
    const ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n <= 0) break;  // EAGAIN: nothing more pending
    for (ssize_t i = 0; i + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      inotify_event ev;
      std::memcpy(&ev, buf + i, sizeof ev);
      const ssize_t fine = i + static_cast<ssize_t>(sizeof(inotify_event)) + ev.len;
      if (fine > n) break;
      std::string nome;
      if (ev.len > 0)
        nome.assign(buf + i + sizeof(inotify_event),
                    strnlen(buf + i + sizeof(inotify_event), ev.len));
      for (Entry& v : entries_) {
        if (v.wd != ev.wd) continue;
        if (ev.mask & directory_gone) v.stale = true;
        if (v.name == nome) relevant = true;
      }
      i = fine;
    }
  }
  return relevant;
}

bool FileWatch::follow_replaced_directories() {
  if (fd_ < 0) return false;
  bool changed = false;
  for (Entry& e : entries_) {
    struct stat st {};
    if (::stat(e.dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      changed = changed || e.present;  // removed or moved away: its files are gone
      e.present = false;
      continue;
    }
    // The same device and inode is the same directory unless its watch was
    // dropped: a folder removed and made again may be given the inode back.
    if (e.present && !e.stale && st.st_dev == e.device && st.st_ino == e.inode) continue;
    const int wd = ::inotify_add_watch(fd_, e.dir.c_str(), save_events);
    if (wd < 0) continue;  // tried again on the next call
    const int old = e.wd;
    e.wd = wd;
    e.device = st.st_dev;
    e.inode = st.st_ino;
    e.present = true;
    e.stale = false;
    changed = true;
    // The old directory (moved elsewhere) is no longer of interest, unless
    // another entry still watches it.
    bool used = false;
    for (const Entry& other : entries_) used = used || other.wd == old;
    if (!used && old != wd) ::inotify_rm_watch(fd_, old);
  }
  return changed;
}

bool FileWatch::wait_for_change(const volatile std::sig_atomic_t& stop,
                                std::chrono::milliseconds quiet,
                                std::optional<std::chrono::milliseconds> deadline) {
  if (fd_ < 0 || !error_.empty()) return false;
  using clock = std::chrono::steady_clock;
  const auto inizio = clock::now();
  std::optional<clock::time_point> last;  // last relevant event
  for (;;) {
    if (stop) return false;
    const auto time = clock::now();
    if (last && time - *last >= quiet) return true;
    if (!last && deadline && time - inizio >= *deadline) return false;
    pollfd pfd{fd_, POLLIN, 0};
    const int r = ::poll(&pfd, 1, last ? 20 : 100);
    if (r < 0) {
      if (errno == EINTR) continue;
      error_ = std::string("cannot watch for changes: ") + std::strerror(errno);
      return false;
    }
    if (r > 0 && read_events()) last = clock::now();
    if (follow_replaced_directories()) last = clock::now();
  }
}

std::string local_time() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  char s[16] = "??:??:??";
  if (::localtime_r(&t, &tm) != nullptr) std::strftime(s, sizeof s, "%H:%M:%S", &tm);
  return s;
}

}  // namespace sc::platform
