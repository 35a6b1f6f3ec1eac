#include "output/file_output.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
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

// Writes `pezzo` at `offset`, as much a call as the system takes; a call
// that writes part of it goes on from where it stopped.
bool scrivi_a(int fd, uint64_t offset, std::string_view pezzo) {
  while (!pezzo.empty()) {
    const ssize_t n = ::pwrite(fd, pezzo.data(), pezzo.size(), static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {  // no progress and no error: treat as a full device
      errno = ENOSPC;
      return false;
    }
    pezzo.remove_prefix(static_cast<size_t>(n));
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

// Writes the whole content, each piece at its place.
bool scrivi_tutto(int fd, const ContenutoFile& c) {
  return c.scrivi([fd](uint64_t offset, std::string_view pezzo) { return scrivi_a(fd, offset, pezzo); });
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
    if (::fchmod(fd, permessi) != 0 || !scrivi_tutto(fd, f.contenuto)) return fallisci(0, f.path, errno);
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
