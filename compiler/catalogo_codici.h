// Every code the program can report, with what it means, the rule behind
// it, how to fix it and an example, for `scenario-compiler explain CODE` and
// for the diagnostics that name a code.
//
// Faults keep their numbers and are written "E16"; warnings are "W1", "W2"
// ...; notes "N1". Each code points to a section (a heading) of
// docs/format.md.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sc {

enum class Gravita { errore, avviso, nota };

// The description an example belongs to; `nessuno` when the example is not
// a line of a description (a command line, a missing file).
enum class FileEsempio { nessuno, linea, treno };

struct VoceCodice {
  std::string_view codice;       // "E16", "W3", "N1"
  Gravita gravita;
  std::string_view titolo;       // a short phrase
  std::string_view significato;  // what it means
  std::string_view regola;       // the rule behind it
  std::string_view rimedio;      // how to fix it
  FileEsempio file;
  // Where the example goes in the exported scenario: the exported line it
  // replaces, or "" when it is added as a new line before "[fine]".
  std::string_view sostituisce;
  std::string_view esempio;     // a line that gives this code
  std::string_view correzione;  // the same line fixed ("(delete the line)" when it must go)
  std::string_view sezione;     // a heading of docs/format.md
};

// The catalogue: faults in number order, then warnings, then notes.
std::span<const VoceCodice> catalogo_codici();

// The entry of a code written "16", "E16", "e16", "W3" or "n1"; null when
// there is none.
const VoceCodice* trova_codice(std::string_view testo);

// The code of fault number `numero` as diagnostics show it: "E16".
std::string codice_fault(int32_t numero);

// "error", "warning" or "note".
std::string_view nome_gravita(Gravita g);

}  // namespace sc
