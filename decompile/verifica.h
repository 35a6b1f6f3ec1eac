// The check of a decompile: the descriptions compiled in memory and
// compared with the compiled files they came from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "decompile/decompila.h"

namespace sc::decompila {

// The compiled files of two descriptions held in memory, compiled as the
// compile command compiles files (a failure to read is fault 25).
struct Compilati {
  bool scritti = false;  // false: the compile stopped before any file
  std::string celle, elementi;
  std::optional<std::string> tracciato;  // with a track plan only
  std::vector<std::string> faults;       // "fault N at P m: message"
};
Compilati compila_in_memoria(const std::string& linea, const std::string& treno, const std::string& nome_scenario,
                             const std::string& numero_treno, bool con_tracciato);

struct Verifica {
  std::vector<std::string> faults;         // recorded by the compile
  std::optional<std::string> primo_byte;   // the first differing byte, if any
  std::vector<std::string> campi_diversi;  // differing cells, records and rows (at most a few dozen)
};

// Compiles `linea` and `treno` under the given identity (with a track plan
// exactly when `originale` has one) and compares the result with `originale`.
Verifica verifica(const std::string& linea, const std::string& treno, const std::string& nome_scenario,
                  const std::string& numero_treno, const FileCompilati& originale);

}  // namespace sc::decompila
