// Replacing files whole, the system's part: each new content goes to a
// temporary file in its target's directory (unnamed where the file system
// allows it, so that a killed run leaves nothing behind), the directories
// are locked (folder_lock.h) while their files are written and renamed,
// and the temporary files are renamed over their targets once every one
// of them is complete. output/file_output.h tells what callers get.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sc::platform {

// Writes a file's whole content into the open file `fd` (positioned at its
// start); returns 0 or the errno of the failure. It may throw: the
// temporary file is then dropped and the exception passed on.
using WriteContent = std::function<int(int fd)>;

struct FileToReplace {
  std::string path;
  WriteContent write;
};

// The names of temporary files: prefix(target) then six varying
// characters, `length` in all. A file of such a name found in a locked
// directory is taken for one a killed replacement left, and removed.
// `record` (when set) is the name of the intent record a set of several
// files is replaced under (its own temporary file is named as the record's).
struct TemporaryNames {
  std::string (*prefix)(const std::string& target);
  size_t length;
  const char* record = nullptr;
};

// Replaces `files` together: every temporary file is written (and with
// `sync` flushed, with its directory, before and after the renames), then
// renamed over its target, in order. A set of more than one file is
// renamed under an intent record in each of its directories (names.record:
// the temporary and target names in the order of the renames), written
// once every temporary file is complete and named, and removed once the
// last is renamed; SIGINT, SIGTERM and SIGHUP are held from the record's
// writing to its removal. Before anything else, a directory's unfinished
// record (a killed replacement's) is completed, and the temporary files
// killed replacements left are removed. Returns the message of the first
// failure, naming its file ("cannot write \"PATH\": REASON"), or nothing.
std::optional<std::string> replace_files(const std::vector<FileToReplace>& files, bool sync,
                                         const TemporaryNames& names);

// Whether the directory `dir` holds an intent record named `record`: a
// replacement of a set of files there was interrupted and is unfinished.
bool unfinished_set(const std::string& dir, const char* record);

// Writes all of `pieces` to `fd` in order, in a few large writes: small
// pieces are gathered into a buffer, large ones written from where they
// are. Returns 0 or the errno of the failure.
int write_pieces(int fd, const std::vector<std::string_view>& pieces);

// Writes `piece` to `fd` at `offset`, in as many calls as the system takes.
// Returns 0 or the errno of the failure (ENOSPC for a call that writes
// nothing and says no error).
int write_at(int fd, uint64_t offset, std::string_view piece);

// Whether the running program may create files in the directory `dir`
// (write and search permission for its effective user, a file system not
// mounted read-only): 0, or the errno that says why not.
int folder_write_denied(const std::string& dir);

}  // namespace sc::platform
