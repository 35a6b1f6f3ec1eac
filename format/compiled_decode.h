// The three compiled files: the cells (celle.h), the element table
// (elementi.h) and the track plan (tracciato.h), their names, and what
// their decoders share. Each decoder takes the whole file as bytes and
// either returns the model's own records or throws a DecodeError that names
// the byte offset where the file stops making sense. Nothing is ever read
// outside the given bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "format/celle.h"
#include "format/compiled_names.h"
#include "format/elementi.h"
#include "format/tracciato.h"
#include "model/percorso.h"

namespace sc {

// A compiled file whose contents do not fit its layout.
class DecodeError : public std::runtime_error {
 public:
  DecodeError(size_t offset, const std::string& message)
      : std::runtime_error(message), offset_(offset) {}
  // The byte offset the message is about.
  size_t offset() const { return offset_; }

 private:
  size_t offset_;
};

// "(size N)", which ends a decoder's message about a file of N bytes.
std::string file_size(size_t n);

// The most bytes a compiled file of that kind can have.
size_t max_bytes(CompiledKind tipo);

// Windows-1252 text (the compiled names) as UTF-8.
std::string utf8_from_1252(std::string_view text);

// The same for a terminal: the control characters (below 0x20, 0x7F, and
// the five bytes Windows-1252 leaves unassigned, which would become C1
// controls) as \xNN, a backslash as \\, so that a name can neither move
// the cursor nor hide what follows it.
std::string utf8_showable_from_1252(std::string_view text);

}  // namespace sc
