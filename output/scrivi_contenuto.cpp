#include "output/scrivi_contenuto.h"

#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

namespace sc {
namespace {

// Writes `pezzo` at `offset`, as much a call as the system takes; a call
// that writes part of it goes on from where it stopped.
int scrivi_a(int fd, uint64_t offset, std::string_view pezzo) {
  while (!pezzo.empty()) {
    const ssize_t n = ::pwrite(fd, pezzo.data(), pezzo.size(), static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return ENOSPC;  // no progress and no error: a full device
    pezzo.remove_prefix(static_cast<size_t>(n));
    offset += static_cast<uint64_t>(n);
  }
  return 0;
}

}  // namespace

int scrivi_contenuto(int fd, const ContenutoFile& contenuto) {
  int err = 0;
  const bool ok = contenuto.scrivi([fd, &err](uint64_t offset, std::string_view pezzo) {
    err = scrivi_a(fd, offset, pezzo);
    return err == 0;
  });
  return ok ? 0 : err != 0 ? err : EIO;
}

FileDaScrivere da_scrivere(std::string path, const ContenutoFile& contenuto) {
  FileDaScrivere f{std::move(path), {}, nullptr};
  if (contenuto.prodotto()) {
    f.scrivi = [&contenuto](int fd) { return scrivi_contenuto(fd, contenuto); };
  } else if (contenuto.size() > 0) {
    f.pezzi = {std::string_view(contenuto)};
  }
  return f;
}

}  // namespace sc
