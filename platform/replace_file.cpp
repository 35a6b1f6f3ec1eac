#include "platform/replace_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
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
#include <utility>

#include "platform/folder_lock.h"

namespace sc::platform {
namespace {

std::string motivo(const std::string& path, int err) {
  return "cannot write \"" + path + "\": " + std::strerror(err);
}

// Writes `n` buffers whole; a call that writes part of them goes on from
// where it stopped.
int scrivi_iov(int fd, iovec* v, size_t n) {
  size_t i = 0;
  while (i < n && v[i].iov_len == 0) ++i;
  while (i < n) {
    const size_t quanti = std::min<size_t>(n - i, IOV_MAX);
    const ssize_t scritti = ::writev(fd, v + i, static_cast<int>(quanti));
    if (scritti < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (scritti == 0) return ENOSPC;  // no progress and no error: a full device
    size_t resto = static_cast<size_t>(scritti);
    while (i < n && resto >= v[i].iov_len) resto -= v[i++].iov_len;
    if (resto > 0) {  // part of buffer i written
      v[i].iov_base = static_cast<char*>(v[i].iov_base) + resto;
      v[i].iov_len -= resto;
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
std::pair<std::string, std::string> dividi(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {path.substr(0, slash == 0 ? 1 : slash), path.substr(slash + 1)};
}

// Six characters of a temporary name.
std::string casuale() {
  static const char cifre[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char b[6];
  if (::getrandom(b, sizeof b, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof b)) {
    static uint64_t contatore = 0;
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    uint64_t x = static_cast<uint64_t>(t.tv_nsec) ^ (static_cast<uint64_t>(::getpid()) << 32) ^ (++contatore * 0x9E3779B97F4A7C15ull);
    for (unsigned char& c : b) {
      c = static_cast<unsigned char>(x);
      x = x * 6364136223846793005ull + 1442695040888963407ull;
      x ^= x >> 29;
    }
  }
  std::string s;
  for (unsigned char c : b) s += cifre[c % 36];
  return s;
}

// A temporary file left by an earlier, killed replacement of a target:
// a name of the length this code gives, with the target's prefix. (Names
// of other forms are never taken for one: they may be an author's files.)
bool temporaneo_di(const std::string& nome, const std::string& prefisso, size_t lunghezza) {
  return nome.size() == lunghezza && nome.compare(0, prefisso.size(), prefisso) == 0;
}

// Unnamed temporary files can be given a name when the process may link
// its descriptors by their path under /proc (or link them directly).
bool collegabili() {
  static const bool si = ::access("/proc/self/fd", X_OK) == 0;
  return si;
}

// One target's temporary file: unnamed until `nome` is set. Dropped on the
// way out unless renamed.
struct Temporaneo {
  int dfd;
  Fd fd;
  std::string nome;
  explicit Temporaneo(int d) : dfd(d) {}
  ~Temporaneo() {
    if (!nome.empty()) ::unlinkat(dfd, nome.c_str(), 0);
  }
};

// Creates a temporary file in `dfd`, named (where it must be) `prefisso`
// and six varying characters; returns 0 or an errno.
int crea(Temporaneo& t, const std::string& prefisso) {
  if (collegabili()) {
    const int fd = ::openat(t.dfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      t.fd.fd = fd;
      return 0;
    }
    // File systems without unnamed files refuse in one of these ways.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) return errno;
  }
  for (int tentativo = 0; tentativo < 100; ++tentativo) {
    std::string nome = prefisso + casuale();
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
int nomina(Temporaneo& t, const std::string& prefisso) {
  if (!t.nome.empty()) return 0;
  const std::string via_proc = "/proc/self/fd/" + std::to_string(t.fd.fd);
  for (int tentativo = 0; tentativo < 100; ++tentativo) {
    std::string nome = prefisso + casuale();
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
struct Cartella {
  std::string path;
  Fd fd;
  std::unique_ptr<FolderLock> blocco;
  std::vector<std::string> target;  // the names to be replaced in it
};

// Removes what killed replacements of these targets left behind. Only
// under the lock: without it the name could belong to a replacement that
// is under way.
void rimuovi_temporanei(const Cartella& c, const TemporaryNames& n) {
  if (!c.blocco->held()) return;
  const int copia = ::openat(c.fd.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (copia < 0) return;
  DIR* d = ::fdopendir(copia);
  if (d == nullptr) {
    ::close(copia);
    return;
  }
  std::vector<std::string> prefissi;
  for (const std::string& t : c.target) prefissi.push_back(n.prefix(t));
  std::vector<std::string> da_togliere;
  while (const dirent* e = ::readdir(d)) {
    const std::string nome = e->d_name;
    if (nome.empty() || nome[0] != '.') continue;
    for (size_t i = 0; i < c.target.size(); ++i) {
      if (temporaneo_di(nome, prefissi[i], n.length)) {
        da_togliere.push_back(nome);
        break;
      }
    }
  }
  ::closedir(d);
  for (const std::string& nome : da_togliere) {
    struct stat st {};
    if (::fstatat(c.fd.fd, nome.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
      ::unlinkat(c.fd.fd, nome.c_str(), 0);
    }
  }
}

// The directories of a set of targets, each opened once; for each target
// its directory and its name there.
struct Cartelle {
  std::vector<std::unique_ptr<Cartella>> tutte;
  std::vector<Cartella*> di_file;
  std::vector<std::string> nomi;
};

std::optional<std::string> apri_cartelle(const std::vector<FileToReplace>& files, Cartelle& c) {
  for (const FileToReplace& f : files) {
    auto parti = dividi(f.path);
    const std::string& dir = parti.first;
    std::string& nome = parti.second;
    if (nome.empty() || nome == "." || nome == "..") return motivo(f.path, EISDIR);
    auto it = std::find_if(c.tutte.begin(), c.tutte.end(), [&](const auto& x) { return x->path == dir; });
    if (it == c.tutte.end()) {
      auto nuova = std::make_unique<Cartella>();
      nuova->path = dir;
      nuova->fd.fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      // A directory that may be written but not listed is still written.
      if (nuova->fd.fd < 0 && errno == EACCES) nuova->fd.fd = ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (nuova->fd.fd < 0) return motivo(f.path, errno);
      c.tutte.push_back(std::move(nuova));
      it = c.tutte.end() - 1;
    }
    (*it)->target.push_back(nome);
    c.di_file.push_back(it->get());
    c.nomi.push_back(std::move(nome));
  }
  return std::nullopt;
}

// Locks the directories in one order (by device and inode), so two sets
// sharing directories never wait for each other's, and clears what killed
// runs left in them.
void blocca(Cartelle& c, const TemporaryNames& n) {
  std::vector<std::pair<std::pair<dev_t, ino_t>, Cartella*>> ordine;
  for (const auto& x : c.tutte) {
    struct stat st {};
    ::fstat(x->fd.fd, &st);
    ordine.push_back({{st.st_dev, st.st_ino}, x.get()});
  }
  std::sort(ordine.begin(), ordine.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [id, x] : ordine) {
    x->blocco = std::make_unique<FolderLock>(x->path);
    rimuovi_temporanei(*x, n);
  }
}

}  // namespace

int write_pieces(int fd, const std::vector<std::string_view>& pezzi) {
  constexpr size_t capienza = size_t{1} << 20;  // the buffer of small pieces
  constexpr size_t grande = size_t{1} << 16;    // written from where it is
  size_t piccoli = 0;
  for (std::string_view p : pezzi) piccoli += p.size() < grande ? p.size() : 0;
  std::string buf;
  buf.reserve(std::min(piccoli, capienza));
  auto scarica = [&](std::string_view extra) {
    iovec v[2] = {{buf.data(), buf.size()}, {const_cast<char*>(extra.data()), extra.size()}};
    const int e = scrivi_iov(fd, v, 2);
    buf.clear();
    return e;
  };
  for (std::string_view p : pezzi) {
    if (p.size() >= grande) {
      if (const int e = scarica(p)) return e;
      continue;
    }
    if (buf.size() + p.size() > capienza) {
      if (const int e = scarica({})) return e;
    }
    buf.append(p);
  }
  return scarica({});
}

std::optional<std::string> replace_files(const std::vector<FileToReplace>& files, bool sync,
                                         const TemporaryNames& names) {
  Cartelle cartelle;
  if (auto m = apri_cartelle(files, cartelle)) return m;
  blocca(cartelle, names);
  const std::vector<Cartella*>& di_file = cartelle.di_file;
  const std::vector<std::string>& nomi = cartelle.nomi;

  // Every content into its temporary file.
  std::vector<std::unique_ptr<Temporaneo>> temp;
  for (size_t i = 0; i < files.size(); ++i) {
    const FileToReplace& f = files[i];
    temp.push_back(std::make_unique<Temporaneo>(di_file[i]->fd.fd));
    Temporaneo& t = *temp.back();
    if (const int e = crea(t, names.prefix(nomi[i]))) return motivo(f.path, e);
    const int e = f.write(t.fd.fd);
    if (e != 0) return motivo(f.path, e);
    if (sync && ::fsync(t.fd.fd) != 0) return motivo(f.path, errno);
  }
  // A directory in place of a target would refuse its rename: found before
  // any file is replaced.
  for (size_t i = 0; i < files.size(); ++i) {
    struct stat st {};
    if (::fstatat(di_file[i]->fd.fd, nomi[i].c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
      return motivo(files[i].path, EISDIR);
    }
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (const int e = nomina(*temp[i], names.prefix(nomi[i]))) return motivo(files[i].path, e);
    const int fd = std::exchange(temp[i]->fd.fd, -1);
    if (::close(fd) != 0) return motivo(files[i].path, errno);
  }
  // A directory that cannot be flushed (some file systems refuse) does not
  // make the files any less written.
  auto flush_cartelle = [&] {
    if (!sync) return;
    for (const auto& c : cartelle.tutte) ::fsync(c->fd.fd);
  };
  flush_cartelle();
  for (size_t i = 0; i < files.size(); ++i) {
    Temporaneo& t = *temp[i];
    if (::renameat(t.dfd, t.nome.c_str(), t.dfd, nomi[i].c_str()) != 0) return motivo(files[i].path, errno);
    t.nome.clear();  // renamed: nothing to drop
  }
  flush_cartelle();
  return std::nullopt;
}

}  // namespace sc::platform
