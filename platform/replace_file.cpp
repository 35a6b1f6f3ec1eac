#include "platform/replace_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/folder_lock.h"

namespace sc::platform {
namespace {

std::string reason(const std::string& path, int err) {
  return "cannot write \"" + path + "\": " + std::strerror(err);
}

// Writes `n` buffers whole; a call that writes part of them goes on from
// where it stopped.
int write_iov(int fd, iovec* v, size_t n) {
  size_t i = 0;
  while (i < n && v[i].iov_len == 0) ++i;
  while (i < n) {
    const size_t how_many = std::min<size_t>(n - i, IOV_MAX);
    const ssize_t written = ::writev(fd, v + i, static_cast<int>(how_many));
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return ENOSPC;  // no progress and no error: a full device
    size_t rest = static_cast<size_t>(written);
    while (i < n && rest >= v[i].iov_len) rest -= v[i++].iov_len;
    if (rest > 0) {  // part of buffer i written
      v[i].iov_base = static_cast<char*>(v[i].iov_base) + rest;
      v[i].iov_len -= rest;
    }
  }
  return 0;
}

// An open file descriptor, closed on the way out.
struct Fd {
  int fd = -1;
  Fd() = default;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// The directory part of a path ("." for none) and the name in it.
std::pair<std::string, std::string> split(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {path.substr(0, slash == 0 ? 1 : slash), path.substr(slash + 1)};
}

// Six characters of a temporary name.
std::string random() {
  static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char b[6];
  if (::getrandom(b, sizeof b, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof b)) {
    static uint64_t counter = 0;
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    uint64_t x = static_cast<uint64_t>(t.tv_nsec) ^ (static_cast<uint64_t>(::getpid()) << 32) ^
                 (++counter * 0x9E3779B97F4A7C15ull);
    for (unsigned char& c : b) {
      c = static_cast<unsigned char>(x);
      x = x * 6364136223846793005ull + 1442695040888963407ull;
      x ^= x >> 29;
    }
  }
  std::string s;
  for (unsigned char c : b) s += digits[c % 36];
  return s;
}

// A temporary file left by an earlier, killed replacement of a target:
// a name of the length this code gives, with the target's prefix. (Names
// of other forms are never taken for one: they may be an author's files.)
bool temporary_of(const std::string& nome, const std::string& prefix, size_t lunghezza) {
  return nome.size() == lunghezza && nome.compare(0, prefix.size(), prefix) == 0;
}

// Unnamed temporary files can be given a name when the process may link
// its descriptors by their path under /proc (or link them directly).
bool collegabili() {
  static const bool proc_fd_usable = ::access("/proc/self/fd", X_OK) == 0;
  return proc_fd_usable;
}

// One target's temporary file: unnamed until `nome` is set. Dropped on the
// way out unless renamed.
struct Temporary {
  int dfd;
  Fd fd;
  std::string nome;
  explicit Temporary(int d) : dfd(d) {}
  ~Temporary() {
    if (!nome.empty()) ::unlinkat(dfd, nome.c_str(), 0);
  }
};

// Creates a temporary file in `dfd`, named (where it must be) `prefix`
// and six varying characters; returns 0 or an errno.
int create(Temporary& t, const std::string& prefix) {
  if (collegabili()) {
    const int fd = ::openat(t.dfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      t.fd.fd = fd;
      return 0;
    }
    // File systems without unnamed files refuse in one of these ways.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) return errno;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string nome = prefix + random();
    const int fd = ::openat(t.dfd, nome.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      t.fd.fd = fd;
      t.nome = std::move(nome);
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

// Gives an unnamed temporary file its name, just before its rename.
int link_temporary(Temporary& t, const std::string& prefix) {
  if (!t.nome.empty()) return 0;
  const std::string via_proc = "/proc/self/fd/" + std::to_string(t.fd.fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string nome = prefix + random();
    if (::linkat(t.fd.fd, "", t.dfd, nome.c_str(), AT_EMPTY_PATH) == 0 ||
        ((errno == EPERM || errno == ENOENT || errno == EINVAL) &&
         ::linkat(AT_FDCWD, via_proc.c_str(), t.dfd, nome.c_str(), AT_SYMLINK_FOLLOW) == 0)) {
      t.nome = std::move(nome);
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

// The directory of some of the targets, opened and locked for the whole
// replacement.
struct Folder {
  std::string path;
  Fd fd;
  std::unique_ptr<FolderLock> held_lock;
  std::vector<std::string> target;  // the names to be replaced in it
};

// A name that stays inside its directory: no '/', not "." or "..".
bool leaf(const std::string& nome) {
  return !nome.empty() && nome != "." && nome != ".." && nome.find('/') == std::string::npos &&
         nome.find('\0') == std::string::npos;
}

// The intent record of a set: a first line, then for each file in the
// order of its rename its temporary name and its target name, each as
// LENGTH:BYTES and a newline (a name may hold any byte but '/').
constexpr std::string_view record_header = "scenario-compiler set 1\n";

std::string record_text(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string s(record_header);
  for (const auto& [temporary, target] : entries) {
    for (const std::string* nome : {&temporary, &target})
      s += std::to_string(nome->size()) + ":" + *nome + "\n";
  }
  return s;
}

// The entries of a record, or false for a text that is not one.
bool parse_record(std::string_view s, std::vector<std::pair<std::string, std::string>>& entries) {
  if (s.substr(0, record_header.size()) != record_header) return false;
  s.remove_prefix(record_header.size());
  std::vector<std::string> names;
  while (!s.empty()) {
    size_t n = 0, i = 0;
    while (i < s.size() && i < 8 && s[i] >= '0' && s[i] <= '9') n = n * 10 + (s[i++] - '0');
    if (i == 0 || i >= s.size() || s[i] != ':' || s.size() - i - 1 < n + 1) return false;
    if (s[i + 1 + n] != '\n') return false;
    names.emplace_back(s.substr(i + 1, n));
    s.remove_prefix(i + 1 + n + 1);
  }
  if (names.size() % 2 != 0) return false;
  for (size_t i = 0; i < names.size(); i += 2) entries.emplace_back(names[i], names[i + 1]);
  return true;
}

// The content of the regular file `nome` in `dfd` (at most 1 MiB), or
// nothing.
std::optional<std::string> read_small(int dfd, const char* nome) {
  const int fd = ::openat(dfd, nome, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  Fd closing(fd);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > (1 << 20)) return std::nullopt;
  std::string s(static_cast<size_t>(st.st_size), '\0');
  size_t done = 0;
  while (done < s.size()) {
    const ssize_t n = ::read(fd, s.data() + done, s.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  s.resize(done);
  return s;
}

bool regular_at(int dfd, const std::string& nome) {
  struct stat st {};
  return ::fstatat(dfd, nome.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

// Completes the set an interrupted replacement left under its record in
// `c`: each temporary file still there is renamed over its target, in the
// record's order (the record is written only once every one of them is
// complete), then the record is removed. A record that cannot be read as
// one names nothing to complete: it is removed, and its temporary files
// with the others (remove_temporaries).
void finish_unfinished(const Folder& c, const TemporaryNames& n, bool sync) {
  if (n.record == nullptr) return;
  struct stat st {};
  if (::fstatat(c.fd.fd, n.record, &st, AT_SYMLINK_NOFOLLOW) != 0) return;
  std::vector<std::pair<std::string, std::string>> entries;
  const std::optional<std::string> text = read_small(c.fd.fd, n.record);
  if (text && parse_record(*text, entries)) {
    for (const auto& [temporary, target] : entries) {
      // Only names this code gives, inside the directory.
      if (!leaf(target) || !leaf(temporary) || !temporary_of(temporary, n.prefix(target), n.length))
        continue;
      if (regular_at(c.fd.fd, temporary))
        ::renameat(c.fd.fd, temporary.c_str(), c.fd.fd, target.c_str());
    }
    if (sync) ::fsync(c.fd.fd);
  }
  ::unlinkat(c.fd.fd, n.record, 0);
  if (sync) ::fsync(c.fd.fd);
}

// Removes what killed replacements of these targets (and of the record)
// left behind. Only under the lock: without it the name could belong to a
// replacement that is under way. (Names of other forms are never taken for
// one: they may be an author's files.)
void remove_temporaries(const Folder& c, const TemporaryNames& n) {
  if (!c.held_lock->held()) return;
  const int listing_fd = ::openat(c.fd.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing_fd < 0) return;
  DIR* d = ::fdopendir(listing_fd);
  if (d == nullptr) {
    ::close(listing_fd);
    return;
  }
  std::vector<std::string> prefixes;
  for (const std::string& t : c.target) prefixes.push_back(n.prefix(t));
  if (n.record != nullptr) prefixes.push_back(n.prefix(n.record));
  std::vector<std::string> to_remove;
  while (const dirent* e = ::readdir(d)) {
    const std::string nome = e->d_name;
    if (nome.empty() || nome[0] != '.') continue;
    for (size_t i = 0; i < prefixes.size(); ++i) {
      if (temporary_of(nome, prefixes[i], n.length)) {
        to_remove.push_back(nome);
        break;
      }
    }
  }
  ::closedir(d);
  for (const std::string& nome : to_remove) {
    if (regular_at(c.fd.fd, nome)) ::unlinkat(c.fd.fd, nome.c_str(), 0);
  }
}

// SIGINT, SIGTERM and SIGHUP held (pending, not lost) while it lives.
class HeldSignals {
 public:
  HeldSignals() {
    sigset_t s;
    sigemptyset(&s);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&s, sig);
    ::pthread_sigmask(SIG_BLOCK, &s, &old_);
  }
  ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t old_{};
};

// Gives the temporary file `t` the name `nome` (which must be free).
int link_as(Temporary& t, const std::string& nome) {
  if (!t.nome.empty()) {
    return ::linkat(t.dfd, t.nome.c_str(), t.dfd, nome.c_str(), 0) == 0 ? 0 : errno;
  }
  if (::linkat(t.fd.fd, "", t.dfd, nome.c_str(), AT_EMPTY_PATH) == 0) return 0;
  if (errno != EPERM && errno != ENOENT && errno != EINVAL) return errno;
  const std::string via_proc = "/proc/self/fd/" + std::to_string(t.fd.fd);
  return ::linkat(AT_FDCWD, via_proc.c_str(), t.dfd, nome.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0
                                                                                           : errno;
}

// The directories of a set of targets, each opened once; for each target
// its directory and its name there.
struct Folders {
  std::vector<std::unique_ptr<Folder>> all;
  std::vector<Folder*> of_file;
  std::vector<std::string> leaf_names;
};

std::optional<std::string> open_folders(const std::vector<FileToReplace>& files, Folders& c) {
  for (const FileToReplace& f : files) {
    auto parts = split(f.path);
    const std::string& dir = parts.first;
    std::string& nome = parts.second;
    if (nome.empty() || nome == "." || nome == "..") return reason(f.path, EISDIR);
    auto it =
        std::find_if(c.all.begin(), c.all.end(), [&](const auto& x) { return x->path == dir; });
    if (it == c.all.end()) {
      auto fresh = std::make_unique<Folder>();
      fresh->path = dir;
      fresh->fd.fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      // A directory that may be written but not listed is still written.
      if (fresh->fd.fd < 0 && errno == EACCES)
        fresh->fd.fd = ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (fresh->fd.fd < 0) return reason(f.path, errno);
      c.all.push_back(std::move(fresh));
      it = c.all.end() - 1;
    }
    (*it)->target.push_back(nome);
    c.of_file.push_back(it->get());
    c.leaf_names.push_back(std::move(nome));
  }
  return std::nullopt;
}

// Locks the directories in one order (by device and inode), so two sets
// sharing directories never wait for each other's, then completes what
// interrupted replacements left in them and clears their temporary files.
// The message of a wait that ended without a lock, or nothing.
std::optional<std::string> lock_folders(Folders& c, const TemporaryNames& n, bool sync) {
  std::vector<std::pair<std::pair<dev_t, ino_t>, Folder*>> order;
  for (const auto& x : c.all) {
    struct stat st {};
    ::fstat(x->fd.fd, &st);
    order.push_back({{st.st_dev, st.st_ino}, x.get()});
  }
  std::sort(order.begin(), order.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [id, x] : order) {
    x->held_lock = std::make_unique<FolderLock>(x->path);
    const FolderLock::Outcome o = x->held_lock->outcome();
    if (o == FolderLock::Outcome::gave_up || o == FolderLock::Outcome::stopped)
      return lock_failure(o, x->path);
  }
  for (auto& [id, x] : order) {
    finish_unfinished(*x, n, sync);
    remove_temporaries(*x, n);
  }
  return std::nullopt;
}

// Writes the intent record of the targets of `c` (indices `of_folder`
// into the set, in order), complete before it bears its name.
int write_record(Folder& c, const std::vector<size_t>& of_folder,
                 const std::vector<std::unique_ptr<Temporary>>& temp,
                 const std::vector<std::string>& leaf_names, const TemporaryNames& n, bool sync) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (size_t i : of_folder) entries.emplace_back(temp[i]->nome, leaf_names[i]);
  const std::string text = record_text(entries);
  Temporary t(c.fd.fd);
  if (const int e = create(t, n.prefix(n.record))) return e;
  const std::string_view piece(text);
  if (const int e = write_at(t.fd.fd, 0, piece)) return e;
  if (sync && ::fsync(t.fd.fd) != 0) return errno;
  return link_as(t, n.record);
}

}  // namespace

int write_pieces(int fd, const std::vector<std::string_view>& pieces) {
  constexpr size_t capienza = size_t{1} << 20;  // the buffer of small pieces
  constexpr size_t large = size_t{1} << 16;     // written from where it is
  size_t small = 0;
  for (std::string_view p : pieces) small += p.size() < large ? p.size() : 0;
  std::string buf;
  buf.reserve(std::min(small, capienza));
  auto flush = [&](std::string_view extra) {
    iovec v[2] = {{buf.data(), buf.size()}, {const_cast<char*>(extra.data()), extra.size()}};
    const int e = write_iov(fd, v, 2);
    buf.clear();
    return e;
  };
  for (std::string_view p : pieces) {
    if (p.size() >= large) {
      if (const int e = flush(p)) return e;
      continue;
    }
    if (buf.size() + p.size() > capienza) {
      if (const int e = flush({})) return e;
    }
    buf.append(p);
  }
  return flush({});
}

std::optional<std::string> replace_files(const std::vector<FileToReplace>& files, bool sync,
                                         const TemporaryNames& names) {
  Folders folders;
  if (auto m = open_folders(files, folders)) return m;
  if (auto m = lock_folders(folders, names, sync)) return m;
  const std::vector<Folder*>& of_file = folders.of_file;
  const std::vector<std::string>& leaf_names = folders.leaf_names;

  // Every content into its temporary file.
  std::vector<std::unique_ptr<Temporary>> temp;
  for (size_t i = 0; i < files.size(); ++i) {
    const FileToReplace& f = files[i];
    temp.push_back(std::make_unique<Temporary>(of_file[i]->fd.fd));
    Temporary& t = *temp.back();
    if (const int e = create(t, names.prefix(leaf_names[i]))) return reason(f.path, e);
    const int e = f.write(t.fd.fd);
    if (e != 0) return reason(f.path, e);
    if (sync && ::fsync(t.fd.fd) != 0) return reason(f.path, errno);
  }
  // A directory in place of a target would refuse its rename: found before
  // any file is replaced.
  for (size_t i = 0; i < files.size(); ++i) {
    struct stat st {};
    if (::fstatat(of_file[i]->fd.fd, leaf_names[i].c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(st.st_mode)) {
      return reason(files[i].path, EISDIR);
    }
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (const int e = link_temporary(*temp[i], names.prefix(leaf_names[i])))
      return reason(files[i].path, e);
    const int fd = std::exchange(temp[i]->fd.fd, -1);
    if (::close(fd) != 0) return reason(files[i].path, errno);
  }
  // A directory that cannot be flushed (some file systems refuse) does not
  // make the files any less written.
  auto flush_folders = [&] {
    if (!sync) return;
    for (const auto& c : folders.all) ::fsync(c->fd.fd);
  };
  // From here the set is completed once begun: a signal that would end the
  // program waits until the last rename, and a kill leaves the record by
  // which the next writer completes it.
  const LockWaiting& w = lock_waiting();
  if (w.stop && w.stop()) return lock_failure(FolderLock::Outcome::stopped, folders.all[0]->path);
  const HeldSignals held;
  const bool with_record = files.size() > 1 && names.record != nullptr;
  std::vector<Folder*> recorded;
  if (with_record) {
    for (const auto& c : folders.all) {
      std::vector<size_t> of_folder;
      for (size_t i = 0; i < files.size(); ++i) {
        if (of_file[i] == c.get()) of_folder.push_back(i);
      }
      if (const int e = write_record(*c, of_folder, temp, leaf_names, names, sync)) {
        for (Folder* r : recorded) ::unlinkat(r->fd.fd, names.record, 0);
        return reason(c->path + "/" + names.record, e);
      }
      recorded.push_back(c.get());
    }
  }
  flush_folders();
  for (size_t i = 0; i < files.size(); ++i) {
    Temporary& t = *temp[i];
    if (::renameat(t.dfd, t.nome.c_str(), t.dfd, leaf_names[i].c_str()) != 0) {
      const int e = errno;
      // The record stays with the temporary files not yet renamed: the next
      // writer into the directory completes the set.
      if (with_record) {
        for (size_t j = i; j < files.size(); ++j) temp[j]->nome.clear();
      }
      return reason(files[i].path, e);
    }
    t.nome.clear();  // renamed: nothing to drop
  }
  flush_folders();
  for (Folder* r : recorded) ::unlinkat(r->fd.fd, names.record, 0);
  flush_folders();
  return std::nullopt;
}

bool unfinished_set(const std::string& dir, const char* record) {
  struct stat st {};
  const std::string path = (dir.empty() ? std::string(".") : dir) + "/" + record;
  return ::fstatat(AT_FDCWD, path.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

int write_at(int fd, uint64_t offset, std::string_view piece) {
  while (!piece.empty()) {
    const ssize_t n = ::pwrite(fd, piece.data(), piece.size(), static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return ENOSPC;  // no progress and no error: a full device
    piece.remove_prefix(static_cast<size_t>(n));
    offset += static_cast<uint64_t>(n);
  }
  return 0;
}

int folder_write_denied(const std::string& dir) {
  // The effective user's rights, as the writes will have them.
  if (::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return 0;
  return errno;
}

}  // namespace sc::platform
