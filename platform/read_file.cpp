#include "platform/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sc::platform {

FileRead read_regular_file(const std::string& path, size_t limit) {
  FileRead r;
  const auto failed = [&](FileRead::Failure f) {
    r.failure = f;
    r.error = errno;
    return r;
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return failed(FileRead::Failure::open);
  struct CloseOnExit {
    int fd;
    ~CloseOnExit() { ::close(fd); }
  } close{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) return failed(FileRead::Failure::size);
  if (!S_ISREG(st.st_mode)) {
    r.failure = FileRead::Failure::not_regular;
    r.directory = S_ISDIR(st.st_mode);
    return r;
  }
  r.size = static_cast<size_t>(st.st_size);
  if (r.size > limit) {
    r.failure = FileRead::Failure::too_large;
    return r;
  }
  r.bytes.assign(r.size, '\0');
  size_t read = 0;
  while (read < r.size) {
    const ssize_t n = ::read(fd, r.bytes.data() + read, r.size - read);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failed(FileRead::Failure::read);
    if (n == 0) break;  // the file shrank meanwhile: what is there is kept
    read += static_cast<size_t>(n);
  }
  r.bytes.resize(read);
  return r;
}

int directory_access(const std::string& path) {
  return ::access(path.c_str(), R_OK | X_OK) == 0 ? 0 : errno;
}

bool standard_error_is_terminal() { return ::isatty(2) == 1; }

}  // namespace sc::platform
