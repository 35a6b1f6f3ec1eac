// The check of a decompile: the descriptions compiled in memory and
// compared with the compiled files they came from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "decompile/decompile.h"

namespace sc::decompile {

// The compiled files of two descriptions held in memory, compiled as the
// compile command compiles files (a failure to read is fault 25).
struct Compiled {
  bool written = false;  // false: the compile stopped before any file
  std::string celle, elementi;
  std::optional<std::string> tracciato;  // with a track plan only
  std::vector<std::string> faults;       // "fault N at P m: message"
};
Compiled compile_in_memory(const std::string& linea, const std::string& treno,
                           const std::string& nome_scenario, const std::string& numero_treno,
                           bool with_tracciato);

struct Verify {
  std::vector<std::string> faults;        // recorded by the compile
  std::optional<std::string> first_byte;  // the first differing byte, if any
  std::vector<std::string>
      different_fields;  // differing cells, records and rows (at most a few dozen)
};

// Compiles `linea` and `treno` under the given identity (with a track plan
// exactly when `original` has one) and compares the result with `original`.
Verify verify(const std::string& linea, const std::string& treno, const std::string& nome_scenario,
              const std::string& numero_treno, const CompiledFiles& original);

}  // namespace sc::decompile
