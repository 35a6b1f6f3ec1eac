// Replacing files whole. The new content goes to a fresh temporary file in
// the same directory, is flushed to disk and then renamed over the target, so
// a reader never sees a half-written file and a failure (full disk,
// read-only directory, a directory in place of the target) leaves the earlier
// file as it was and no temporary file behind.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sc {

// Writes `bytes` as the whole content of `path`. Returns nothing on success,
// or a message naming the file and the system's reason, e.g.
//   cannot write "/d/x.txt": Permission denied
std::optional<std::string> sostituisci_file(const std::string& path, const std::string& bytes);

// The same with the content given as pieces in order, written without
// joining them first.
std::optional<std::string> sostituisci_file(const std::string& path, const std::vector<std::string_view>& pezzi);

// One file of a set to replace together.
struct FileDaScrivere {
  std::string path;
  std::vector<std::string_view> pezzi;  // the content, in order
};

// Replaces the files of `files` together: every temporary file is written,
// then all are flushed to disk (one wait for the disk, not one per file),
// and only when every one of them is on disk are they renamed over their
// targets, in order. A failure before the renames (a write, a flush, a
// directory in place of a target) removes every temporary file and leaves
// every target as it was; a rename that still fails leaves the files
// renamed before it replaced and the rest as they were. Returns the
// message of the first failure, naming its file, or nothing.
std::optional<std::string> sostituisci_files(const std::vector<FileDaScrivere>& files);

}  // namespace sc
