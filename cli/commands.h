// The commands of the main program scenario-compiler (cmd_*.cpp), called by
// its command line (options.cpp) once the arguments are parsed. Each writes
// its results to `out` and its diagnostics to `err`, and returns the exit
// status (stati_uscita.h).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_comandi.h"

namespace sc {

// The embedded scenario's five text files into `dir`; an existing file is
// replaced only with `sostituisci`.
int comando_export(const std::string& dir, bool sostituisci, std::ostream& out, std::ostream& err);

struct OpzioniCompile {
  std::string linea;  // path of the line description
  std::string treno;  // path of the train description
  std::string out = ".";
  std::optional<std::string> nome;    // --name
  std::optional<std::string> numero;  // --train
  bool senza_tracciato = false;       // --no-plan: modo 0
  bool solo_controllo = false;        // check: nothing is written
  bool sync = false;                  // --sync: flush the files to disk
  bool osserva = false;               // --watch: again on every save, until Ctrl-C
  bool rigoroso = false;              // --strict: any warning makes the status 1
  std::string colore = "auto";        // --color auto|always|never
  std::string formato = "text";       // --diagnostics-format text|json|sarif
};
int comando_compile(const OpzioniCompile& o, std::ostream& out, std::ostream& err);

struct OpzioniDecompile {
  std::vector<std::string> ingressi;  // one directory, or the compiled files
  std::string out = ".";
  bool sostituisci = false;  // --force
};
int comando_decompile(const OpzioniDecompile& o, std::ostream& out, std::ostream& err);

// What a diagnostic code means (CODE written E16, 16, W3 or N1), or with
// `elenco` every code with its title.
int comando_explain(const std::optional<std::string>& codice, bool elenco, std::ostream& out, std::ostream& err);

}  // namespace sc
