// Replacing a file whole. The new content goes to a fresh temporary file in
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

}  // namespace sc
