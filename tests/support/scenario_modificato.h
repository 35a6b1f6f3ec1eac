// The exported scenario edited line by line and compiled in memory, for
// the tests that try one edit at a time.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile_entry.h"
#include "tests/support/test_dir.h"
#include "writers/contenuto.h"
#include "writers/scenario.h"

namespace sc::test::scenario_modificato {

using namespace test::file_scenario;


// The exported description's lines, without the end marker of the table.
inline std::vector<std::string> righe(const std::vector<std::string>& tabella) {
  std::vector<std::string> r(tabella.begin(), std::find(tabella.begin(), tabella.end(), marcatore_fine));
  return r;
}

// The lines with `riga` in place of `sostituisce` (which must be there), or
// added before "[fine]" when `sostituisce` is empty.
inline ::testing::AssertionResult modifica(std::vector<std::string>& r, std::string_view sostituisce, std::string_view riga) {
  const std::string cercata = sostituisce.empty() ? "[fine]" : std::string(sostituisce);
  const auto it = std::find(r.begin(), r.end(), cercata);
  if (it == r.end()) return ::testing::AssertionFailure() << "no line \"" << cercata << "\" in the exported description";
  if (sostituisce.empty()) {
    r.insert(it, std::string(riga));
  } else {
    *it = riga;
  }
  return ::testing::AssertionSuccess();
}

inline std::string crlf(const std::vector<std::string>& r) {
  std::string s;
  for (const std::string& x : r) s += x + "\r\n";
  return s;
}

struct Risultato {
  Percorso p;
  FaultLog log;
  Compilazione::Stato stato = Compilazione::Stato::pronto;
  std::vector<std::string> files;  // the compiled bytes, in writing order
};

// With `come_incorporato` the descriptions are compiled as the embedded run
// compiles its own (no reading on after the first fault).
inline void compila(Risultato& e, const std::vector<std::string>& linea, const std::vector<std::string>& treno,
                    bool come_incorporato = false) {
  CompileResult r = compile_descriptions({{linea_txt, crlf(linea)}, {treno_txt, crlf(treno)},
                                          "Corvale_Pravena AV", "409", 1, !come_incorporato});
  e.p = std::move(r.model);
  e.log = std::move(r.log);
  const Compilazione& c = r.compilation;
  e.stato = c.stato;
  for (const CompiledFile& f : c.files) e.files.push_back(f.bytes.unito());
}

inline std::string elenco_altre(const FaultLog& log) {
  std::string s;
  for (const Fault& f : log.altre()) s += "\n  " + codice_diagnostica(f) + ": " + f.message;
  return s;
}

inline std::string elenco_faults(const FaultLog& log) {
  std::string s;
  for (const Fault& f : log.all()) s += "\n  " + std::to_string(f.codice) + ": " + f.message;
  return s;
}

}  // namespace sc::test::scenario_modificato
