// Replacing files whole. Every file the program writes goes through here;
// the system calls are platform/replace_file.h's.
//
// The new content goes to a fresh temporary file in the target's directory
// (an unnamed one where the file system allows it, so that a killed run
// leaves nothing behind) and is renamed over the target, so a reader never
// sees a half-written file, a failure (full disk, read-only directory, a
// directory in place of the target) leaves the earlier file as it was, and
// a symbolic link at the target is replaced by the file, never written
// through. The directory is locked while its files are written and renamed:
// two runs writing into one directory at once give the whole set of one of
// them. A temporary file that a killed run left under a name (where unnamed
// ones are not available) is removed by the next replacement of the same
// file. Temporary names have a fixed length, so any name the system allows
// for a target can be written.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder_lock.h"

namespace sc {

struct WriteMode {
  // Flush each file and its directory to disk before and after the rename.
  // Without it the files are complete and replaced atomically for every
  // reader, but a power loss may lose them (the system writes them back
  // later, as it does for a copy).
  bool sync = false;
};

// Writes a file's whole content into the open file `fd` (positioned at its
// start); returns 0 or the errno of the failure. It may throw: the
// temporary file is then dropped and the exception passed on.
using ContentWriter = std::function<int(int fd)>;

// One file of a set to replace together.
struct FileToWrite {
  std::string path;
  std::vector<std::string_view> pieces;  // the content, in order
  ContentWriter write = nullptr;         // when set, writes the content instead of `pieces`
};

// Writes `bytes` as the whole content of `path`. Returns nothing on success,
// or a message naming the file and the system's reason, e.g.
//   cannot write "/d/x.txt": Permission denied
std::optional<std::string> replace_file(const std::string& path, const std::string& bytes,
                                        WriteMode modo = {});

// The same with the content given as pieces in order, written without
// joining them first.
std::optional<std::string> replace_file(const std::string& path,
                                        const std::vector<std::string_view>& pieces,
                                        WriteMode modo = {});

// Replaces the files of `files` together: every temporary file is written,
// and only when every one of them is complete are they renamed over their
// targets, in order. A failure before the renames (a write, a flush, a
// directory in place of a target) drops every temporary file and leaves
// every target as it was; a rename that still fails leaves the files
// renamed before it replaced and the rest as they were. Returns the
// message of the first failure, naming its file, or nothing.
std::optional<std::string> replace_files(const std::vector<FileToWrite>& files,
                                         WriteMode modo = {});

// Writes all of `pieces` to `fd` in order, in a few large writes: small
// pieces are gathered into a buffer, large ones written from where they
// are. Returns 0 or the errno of the failure.
int write_pieces(int fd, const std::vector<std::string_view>& pieces);

// Holds the lock of a directory, the one the replacements above take, for
// longer: a run that writes files, reads them back and writes others holds
// it from the first to the last. Replacements by the same process in the
// same directory go on while it is held; another process's wait. A
// directory that cannot be opened or a file system without locks leaves it
// unlocked (`locked()` false); the replacements then report what fails.
class DirLock {
 public:
  explicit DirLock(const std::string& dir) : dir_(dir), lock_(dir) {}

  bool locked() const { return lock_.held(); }

  // Why the wait for another process's lock ended without it (it gave up
  // after the process's limit, or was stopped), naming the directory; or
  // nothing.
  std::optional<std::string> failure() const;

 private:
  std::string dir_;
  platform::FolderLock lock_;
};

// The intent record of a set of files being replaced in a directory: its
// name there (no scenario's file can have it: theirs end in .dat, .sim or
// .txt), present only while a set is being renamed, or after a run was
// killed doing so until the next replacement in that directory completes
// the set.
inline constexpr const char* set_record_name = ".scenario-compiler-set";

// When the directory `dir` holds an unfinished set, the message a reader
// refuses it with; otherwise nothing.
std::optional<std::string> unfinished_set_in(const std::string& dir);

// The name of the temporary files of `target` (a name without directory)
// up to its last 6 characters, which vary; a leading '.' hides them.
std::string temp_prefix(const std::string& target);
inline constexpr size_t temp_name_length = 42;  // the whole name's length, whatever the target's

}  // namespace sc
