// Reading a compiled file for the programs that show, draw or decompile
// it: the file is opened once and its size checked against what its kind
// can hold before anything is read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "format/compiled_names.h"
#include "format/tracciato.h"
#include "platform/open_file.h"

namespace sc {

// The whole content of a compiled file of kind `tipo`: a DecodeError
// (offset 0) for a size above the most that kind can have (a file too
// short is left to the decoder, which says where it ends),
// std::runtime_error naming the file when it cannot be opened or read, or
// is no regular file.
std::string read_compiled_file(const std::filesystem::path& percorso, CompiledKind tipo);

// A compiled file kept open to be read piece by piece: measured and
// checked as read_compiled_file does (the same errors), nothing read yet.
struct OpenCompiled {
  platform::OpenFile file;
  size_t size = 0;
  // Reads the file at an offset, for PlanFile; std::runtime_error naming
  // the file when a read fails.
  ReadAt reader(const std::filesystem::path& percorso) const;
};
OpenCompiled open_compiled_file(const std::filesystem::path& percorso, CompiledKind tipo);

}  // namespace sc
