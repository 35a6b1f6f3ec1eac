#include "output/write_content.h"

#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

namespace sc {
namespace {

// Writes `piece` at `offset`, as much a call as the system takes; a call
// that writes part of it goes on from where it stopped.
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

}  // namespace

int write_content(int fd, const FileContent& content) {
  int err = 0;
  const bool ok = content.write([fd, &err](uint64_t offset, std::string_view piece) {
    err = write_at(fd, offset, piece);
    return err == 0;
  });
  return ok ? 0 : err != 0 ? err : EIO;
}

FileToWrite to_write(std::string path, const FileContent& content) {
  FileToWrite f{std::move(path), {}, nullptr};
  if (content.produced()) {
    f.write = [&content](int fd) { return write_content(fd, content); };
  } else if (content.size() > 0) {
    f.pieces = {std::string_view(content)};
  }
  return f;
}

}  // namespace sc
