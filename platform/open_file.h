// A regular file kept open and read piece by piece at any offset, for the
// readers that go through a large file more than once without holding it:
// opened once, measured and checked on that descriptor, so every piece
// comes from the file that was measured (a file renamed over it meanwhile
// is not seen).
#pragma once

#include <cstddef>
#include <string>

#include "platform/read_file.h"

namespace sc::platform {

class OpenFile {
 public:
  OpenFile() = default;
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  OpenFile(OpenFile&& other) noexcept;
  OpenFile& operator=(OpenFile&& other) noexcept;
  ~OpenFile();

  bool is_open() const { return fd_ >= 0; }
  // Reads up to `n` bytes at `offset` into `out`: the count read (0 at the
  // end of the file), or -1 with `errno` set.
  long read_at(size_t offset, char* out, size_t n) const;

 private:
  friend struct OpenedFile open_regular_file(const std::string& path, size_t limit);
  int fd_ = -1;
};

struct OpenedFile {
  FileRead::Failure failure = FileRead::Failure::none;
  int error = 0;    // errno of the failed call (open, size)
  size_t size = 0;  // the file's size, when it was measured
  OpenFile file;    // open when `failure` is none
};

// Opens `path` when it is a regular file of at most `limit` bytes; the
// failures are those of read_regular_file.
OpenedFile open_regular_file(const std::string& path, size_t limit);

}  // namespace sc::platform
