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

enum class Severity { errore, avviso, note };

// The description an example belongs to; `none` when the example is not
// a line of a description (a command line, a missing file).
enum class ExampleFile { none, linea, treno };

struct CodeEntry {
  std::string_view codice;  // "E16", "W3", "N1"
  Severity severity;
  std::string_view title;    // a short phrase
  std::string_view meaning;  // what it means
  std::string_view rule;     // the rule behind it
  std::string_view remedy;   // how to fix it
  ExampleFile file;
  // Where the example goes in the exported scenario: the exported line it
  // replaces, or "" when it is added as a new line before "[fine]".
  std::string_view replaces;
  std::string_view example;  // a line that gives this code
  std::string_view fix;      // the same line fixed ("(delete the line)" when it must go)
  std::string_view section;  // a heading of docs/format.md
};

// The catalogue: faults in number order, then warnings, then notes.
std::span<const CodeEntry> fault_catalogue();

// The entry of a code written "16", "E16", "e16", "W3" or "n1"; null when
// there is none.
const CodeEntry* find_code(std::string_view text);

// What the compile did with the entry a warning concerns, for the closing
// summary: stored a value otherwise than written, skipped it, or compiled
// it as written (though the author may not have meant it).
enum class WarningEffect { changed, skipped, as_written };
WarningEffect warning_effect(std::string_view codice);

// The code of fault number `numero` as diagnostics show it: "E16".
std::string codice_fault(int32_t numero);

// "error", "warning" or "note".
std::string_view severity_name(Severity g);

}  // namespace sc
