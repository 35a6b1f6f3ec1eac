// Reading a compiled file for the programs that show, draw or decompile
// it: the file is opened once and its size checked against what its kind
// can hold before anything is read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "format/compiled_names.h"

namespace sc {

// The whole content of a compiled file of kind `tipo`: a DecodeError
// (offset 0) for a size above the most that kind can have (a file too
// short is left to the decoder, which says where it ends),
// std::runtime_error naming the file when it cannot be opened or read, or
// is no regular file.
std::string read_compiled_file(const std::filesystem::path& percorso, CompiledKind tipo);

}  // namespace sc
