#include "output/file_output.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace sc {
namespace {

std::string motivo(const std::string& path, int err) {
  return "cannot write \"" + path + "\": " + std::strerror(err);
}

// Writes all of `pezzi` in order, as many pieces a call as the system
// takes; a call that writes part of them goes on from where it stopped.
bool scrivi_tutto(int fd, const std::vector<std::string_view>& pezzi) {
  std::vector<iovec> v;
  v.reserve(pezzi.size());
  for (std::string_view p : pezzi) {
    if (!p.empty()) v.push_back({const_cast<char*>(p.data()), p.size()});
  }
  size_t i = 0;
  while (i < v.size()) {
    const size_t quanti = std::min<size_t>(v.size() - i, IOV_MAX);
    const ssize_t n = ::writev(fd, v.data() + i, static_cast<int>(quanti));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {  // no progress and no error: treat as a full device
      errno = ENOSPC;
      return false;
    }
    size_t scritti = static_cast<size_t>(n);
    while (i < v.size() && scritti >= v[i].iov_len) scritti -= v[i++].iov_len;
    if (scritti > 0) {  // part of piece i written
      v[i].iov_base = static_cast<char*>(v[i].iov_base) + scritti;
      v[i].iov_len -= scritti;
    }
  }
  return true;
}

// The permissions a newly created file would get (0666 less the umask);
// mkstemp itself creates 0600.
mode_t permessi_nuovo_file() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

std::optional<std::string> sostituisci_file(const std::string& path, const std::string& bytes) {
  return sostituisci_files({{path, {bytes}}});
}

std::optional<std::string> sostituisci_file(const std::string& path, const std::vector<std::string_view>& pezzi) {
  return sostituisci_files({{path, pezzi}});
}

std::optional<std::string> sostituisci_files(const std::vector<FileDaScrivere>& files) {
  struct Temporaneo {
    int fd = -1;
    std::string path;
  };
  std::vector<Temporaneo> temp;
  temp.reserve(files.size());
  // Closes and removes the temporary files not yet renamed, from `da` on,
  // and names the failure.
  auto fallisci = [&](size_t da, const std::string& target, int err) {
    for (size_t i = da; i < temp.size(); ++i) {
      if (temp[i].fd >= 0) ::close(temp[i].fd);
      ::unlink(temp[i].path.c_str());
    }
    return motivo(target, err);
  };

  const mode_t permessi = permessi_nuovo_file();
  for (const FileDaScrivere& f : files) {
    // A hidden name beside the target; mkstemp opens it with O_CREAT | O_EXCL.
    const size_t slash = f.path.rfind('/');
    const std::string base = slash == std::string::npos ? f.path : f.path.substr(slash + 1);
    const std::string modello =
        (slash == std::string::npos ? std::string() : f.path.substr(0, slash + 1)) + "." + base + ".XXXXXX";
    std::vector<char> nome(modello.begin(), modello.end());
    nome.push_back('\0');
    const int fd = ::mkstemp(nome.data());
    if (fd < 0) return fallisci(0, f.path, errno);
    temp.push_back({fd, std::string(nome.data())});
    if (::fchmod(fd, permessi) != 0 || !scrivi_tutto(fd, f.pezzi)) return fallisci(0, f.path, errno);
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (::fsync(temp[i].fd) != 0) return fallisci(0, files[i].path, errno);
    const int fd = std::exchange(temp[i].fd, -1);
    if (::close(fd) != 0) return fallisci(0, files[i].path, errno);
  }
  // A directory in place of a target would refuse its rename: found before
  // any file is replaced.
  for (const FileDaScrivere& f : files) {
    struct stat st {};
    if (::lstat(f.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return fallisci(0, f.path, EISDIR);
  }
  std::vector<std::string> cartelle;
  for (size_t i = 0; i < files.size(); ++i) {
    if (::rename(temp[i].path.c_str(), files[i].path.c_str()) != 0) return fallisci(i, files[i].path, errno);
    const size_t slash = files[i].path.rfind('/');
    const std::string dir =
        slash == std::string::npos ? std::string(".") : files[i].path.substr(0, slash == 0 ? 1 : slash);
    if (std::find(cartelle.begin(), cartelle.end(), dir) == cartelle.end()) cartelle.push_back(dir);
  }

  // Make the renames themselves durable; a directory that cannot be synced
  // (some file systems refuse) does not make the files any less written.
  for (const std::string& dir : cartelle) {
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
      ::fsync(dfd);
      ::close(dfd);
    }
  }
  return std::nullopt;
}

}  // namespace sc
