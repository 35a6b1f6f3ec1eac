// The commands of the main program scenario-compiler (cmd_*.cpp), called by
// its command line (options.cpp) once the arguments are parsed. Each writes
// its results to `out` and its diagnostics to `err`, and returns the exit
// status (exit_statuses.h).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/shared_inputs.h"

namespace sc {

// The embedded scenario's five text files into `dir`; an existing file is
// replaced only with `replace`.
int cmd_export(const std::string& dir, bool replace, std::ostream& out, std::ostream& err);

struct CompileOptions {
  std::string linea;  // path of the line description
  std::string treno;  // path of the train description
  std::string out = ".";
  std::optional<std::string> nome;    // --name
  std::optional<std::string> numero;  // --train
  bool without_tracciato = false;     // --no-plan: modo 0
  bool check_only = false;            // check: nothing is written
  bool sync = false;                  // --sync: flush the files to disk
  bool watch = false;                 // --watch: again on every save, until Ctrl-C
  bool strict = false;                // --strict: any warning makes the status 1
  std::string color = "auto";         // --color auto|always|never
  std::string format = "text";        // --diagnostics-format text|json|sarif
  size_t max_diagnostics = 200;       // --max-diagnostics: how many the text shows, 0 all
};
int cmd_compile(const CompileOptions& o, std::ostream& out, std::ostream& err);

struct DecompileOptions {
  std::vector<std::string> inputs;  // one directory, or the compiled files
  std::string out = ".";
  bool replace = false;  // --force
};
int cmd_decompile(const DecompileOptions& o, std::ostream& out, std::ostream& err);

struct DiffOptions {
  std::string old_side, new_side;  // each a directory or one file of a scenario
  bool json = false;               // --json
  bool stat = false;               // --stat: one line per kind
};
int cmd_diff(const DiffOptions& o, std::ostream& out, std::ostream& err);

// What a diagnostic code means (CODE written E16, 16, W3 or N1), or with
// `listing` every code with its title.
int cmd_explain(const std::optional<std::string>& codice, bool listing, std::ostream& out,
                std::ostream& err);

}  // namespace sc
