// A regular file read through the one descriptor it was opened on: its size
// is taken from that descriptor, so what is read is what was measured, and
// nothing above a limit is read at all.
#pragma once

#include <cstddef>
#include <string>

namespace sc::platform {

struct FileRead {
  enum class Failure { none, open, size, not_regular, too_large, read };
  Failure failure = Failure::none;
  int error = 0;           // errno of the failed call (open, size, read)
  size_t size = 0;         // the file's size, when it was measured
  bool directory = false;  // not_regular: it is a directory
  std::string bytes;       // the whole file; less when it shrank while read
};

// Reads `path` when it is a regular file of at most `limit` bytes. A file
// that grows meanwhile is read no further than its measured size. The file
// is opened without waiting (a pipe without a writer, a device) and checked
// on that descriptor before anything is read; with `limit` 0 a regular file
// that is not empty is only checked (too_large).
FileRead read_regular_file(const std::string& path, size_t limit);

// 0 when the directory `path` may be listed and entered, or the errno that
// says why not.
int directory_access(const std::string& path);

// Whether standard error is a terminal (for colour).
bool standard_error_is_terminal();

}  // namespace sc::platform
