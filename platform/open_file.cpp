#include "platform/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace sc::platform {

OpenFile::OpenFile(OpenFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

OpenFile::~OpenFile() {
  if (fd_ >= 0) ::close(fd_);
}

long OpenFile::read_at(size_t offset, char* out, size_t n) const {
  for (;;) {
    const ssize_t r = ::pread(fd_, out, n, static_cast<off_t>(offset));
    if (r < 0 && errno == EINTR) continue;
    return static_cast<long>(r);
  }
}

OpenedFile open_regular_file(const std::string& path, size_t limit) {
  OpenedFile r;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    r.failure = FileRead::Failure::open;
    r.error = errno;
    return r;
  }
  r.file.fd_ = fd;  // closed with `r.file` whatever follows
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    r.failure = FileRead::Failure::size;
    r.error = errno;
    r.file = OpenFile();
    return r;
  }
  if (!S_ISREG(st.st_mode)) {
    r.failure = FileRead::Failure::not_regular;
    r.file = OpenFile();
    return r;
  }
  r.size = static_cast<size_t>(st.st_size);
  if (r.size > limit) {
    r.failure = FileRead::Failure::too_large;
    r.file = OpenFile();
  }
  return r;
}

}  // namespace sc::platform
