#include "app/file_output.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace sc {
namespace {

std::string motivo(const std::string& path, int err) {
  return "cannot write \"" + path + "\": " + std::strerror(err);
}

// Writes all of `bytes`, in as few calls as the system allows.
bool scrivi_tutto(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  size_t resto = bytes.size();
  while (resto > 0) {
    const ssize_t n = ::write(fd, p, resto);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {  // no progress and no error: treat as a full device
      errno = ENOSPC;
      return false;
    }
    p += n;
    resto -= static_cast<size_t>(n);
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
  if (!scrivi_tutto(fd, bytes)) return fallisci(errno, true);
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
