// The commands of the command line, one function each (cmd_*.cpp), called
// by cli.cpp once the arguments are parsed. Each writes its results to `out`
// and its diagnostics to `err`, and returns the exit status (stati_uscita.h).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "output/stati_uscita.h"
#include "output/file_output.h"

namespace sc {

// The embedded run's options.
struct OpzioniEsecuzione {
  ModoScrittura modo;  // --sync
  bool forza = false;  // --force: replace a description that differs
};

// The embedded run, with its files in `dir`, and the status window.
int comando_esegui(const std::string& dir, const OpzioniEsecuzione& o, std::ostream& err);

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

struct OpzioniInspectRiga {
  std::string file;
  bool json = false;
  std::optional<std::string> celle;  // "FROM:TO"
  std::optional<std::string> km;     // "FROM:TO" in kilometres
  std::vector<std::string> solo;     // group names
  std::optional<int> ogni;
};
int comando_inspect(const OpzioniInspectRiga& o, std::ostream& out, std::ostream& err);

struct OpzioniPlotRiga {
  std::vector<std::string> ingressi;
  std::string uscita;
  std::optional<std::string> dimensioni;  // "WxH"
  std::optional<double> da_km, a_km;      // --from, --to
};
int comando_plot(const OpzioniPlotRiga& o, std::ostream& out, std::ostream& err);

struct OpzioniDecompile {
  std::vector<std::string> ingressi;  // one directory, or the compiled files
  std::string out = ".";
  bool sostituisci = false;  // --force
};
int comando_decompile(const OpzioniDecompile& o, std::ostream& out, std::ostream& err);

// What a diagnostic code means (CODE written E16, 16, W3 or N1), or with
// `elenco` every code with its title.
int comando_explain(const std::optional<std::string>& codice, bool elenco, std::ostream& out, std::ostream& err);

// `nome` inside `dir`, as the user would type it: the bare name in ".".
std::string in_cartella(const std::string& dir, const std::string& nome);

// `s` quoted for a POSIX shell when it holds anything but plain characters.
std::string per_shell(const std::string& s);

// Why `path` cannot be read as an input file, or "" when it can. A
// directory is accepted only with `cartella_ammessa`.
std::string non_leggibile(const std::string& path, bool cartella_ammessa);

// Makes sure `dir` exists as a directory, creating it (and its parents)
// when missing. On failure says why on `err` and returns false.
bool prepara_cartella(const std::string& dir, std::ostream& err);

}  // namespace sc
