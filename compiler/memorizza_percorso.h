// The compilation: its state and the bytes of the compiled files, and what
// follows the parse to make them. The compile's entry is compile_descriptions
// (compiler/compile_entry.h). Nothing is written to disk here: the caller
// writes the files only when the whole compile got that far.
#pragma once

#include <cstdint>
#include <vector>

#include "compiler/fault.h"
#include "compiler/file_content.h"
#include "format/compiled_names.h"
#include "model/percorso.h"

namespace sc {

struct CompiledFile {
  CompiledKind kind;
  FileContent bytes;
};

struct Compilation {
  enum class Result {
    pronto,       // files ready to write (faults may still be recorded)
    senza_celle,  // the parse ended before the cells existed: nothing to write
    errore_1250,  // reserved mark slots already used
    errore_1251,  // reserved contest-code slots already used
  };
  Result status = Result::pronto;
  // In writing order: track plan (only when `modo` is nonzero), element
  // table, cells.
  std::vector<CompiledFile> files;
};

// What follows the parse: with cells 0 and 1 present, the cell consistency
// pass, the marks and contest codes and the file bytes; otherwise
// senza_celle. A reserved-slot clash returns its state and no bytes.
Compilation complete_compilation(Percorso& p, FaultLog& log);

}  // namespace sc
