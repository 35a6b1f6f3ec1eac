#include "app/file_output.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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
  return sostituisci_file(path, std::vector<std::string_view>{bytes});
}

std::optional<std::string> sostituisci_file(const std::string& path, const std::vector<std::string_view>& pezzi) {
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);

  // A hidden name beside the target; mkstemp opens it with O_CREAT | O_EXCL.
  std::string modello = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "." + base + ".XXXXXX";
  std::vector<char> tmp(modello.begin(), modello.end());
  tmp.push_back('\0');
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return motivo(path, errno);
  const std::string tmp_path(tmp.data());

  auto fallisci = [&](int err, bool aperto) {
    if (aperto) ::close(fd);
    ::unlink(tmp_path.c_str());
    return motivo(path, err);
  };

  if (::fchmod(fd, permessi_nuovo_file()) != 0) return fallisci(errno, true);
  if (!scrivi_tutto(fd, pezzi)) return fallisci(errno, true);
  if (::fsync(fd) != 0) return fallisci(errno, true);
  if (::close(fd) != 0) return fallisci(errno, false);
  if (::rename(tmp_path.c_str(), path.c_str()) != 0) return fallisci(errno, false);

  // Make the rename itself durable; a directory that cannot be synced (some
  // file systems refuse) does not make the file any less written.
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return std::nullopt;
}

}  // namespace sc
