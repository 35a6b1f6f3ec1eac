// What the viewer shows, without any drawing: a scenario compiled in memory
// from its two descriptions (or read from its compiled files), the faults
// and warnings of that compile, for any cell what it holds and which
// entries of the descriptions put it there, and the labels of the boards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/fault.h"
#include "plot/plot.h"

namespace sc::view {

// Where the scenario comes from.
struct Source {
  // Two descriptions, compiled in memory; or one directory (or the three
  // files) of a compiled scenario, read as they are.
  std::string linea, treno;
  std::optional<std::string> nome, numero;  // --name, --train
  std::vector<std::string> compiled;        // set for a compiled scenario

  bool from_descriptions() const { return compiled.empty(); }
  // The files whose changes call for a reload.
  std::vector<std::string> watched_files() const;
};

// One entry of a description: its file, line, key and fields (the key
// first), blanks around each field dropped.
struct DescriptionEntry {
  std::string file;
  int line = 0;
  std::vector<std::string> fields;
  const std::string& key() const { return fields.front(); }
  // Field `i` (the key is 0) as a whole number, if it is one.
  std::optional<int64_t> numero(size_t i) const;
};

// The lines of a description file split at commas, blanks around each
// field dropped: those with a key and at least one more field. Section
// headers are skipped.
std::vector<DescriptionEntry> description_entries(const std::string& text, const std::string& file);

// One line of the pane under the profile: a fault, warning or note of the
// compile.
struct PanelEntry {
  Severity severity = Severity::errore;
  std::string text;  // "FILE:LINE:COL: warning: MESSAGE [W8]"
  std::string file;  // where it stands; line 0 when it names no line
  int line = 0;
  // The metres a click goes to: the diagnostic's own position, or else
  // the position field of the entry on its line.
  std::optional<int32_t> posizione;
};

struct Loading {
  CompiledScenario scenario;      // empty cells when there is nothing to show
  std::vector<Fault> faults;      // the faults the compile recorded
  std::vector<PanelEntry> panel;  // faults, warnings and notes in the order `check` prints them
  std::string outcome;            // one line: "compiled without fault", "2 faults, 1 warning", ...
  std::string errore;             // set when nothing could be read
  std::vector<DescriptionEntry> entries;  // entries of both descriptions, in file order
  CellOrigins origins;                    // the compile's record of the entries behind each cell
  bool stale = false;  // kept after a reload that failed; the pane's first line says why
  bool has_celle() const { return !scenario.celle.empty(); }
};

// Compiles or reads the scenario. Never writes a file.
Loading load(const Source& s);

// The scenario loaded again after a change of its files. When they cannot
// be read (one is missing, is not a regular file, a compiled file is
// damaged), `last` is kept as it was, its status (`errore`) and the first
// line of its pane saying why.
Loading reload(const Source& s, Loading last);

// Compiles the descriptions and writes the compiled files beside the line
// description; returns what was written, or why not.
std::string write_compiled(const Source& s);

// What cell `i` holds, one line each: the cell and its metres, the element
// with its meaning, speed, gradient, tunnel, and the entries (FILE:LINE and
// the entry) that put each there, as the compile recorded them.
std::vector<std::string> describe_cella(const Loading& c, size_t i);

// The entry lines that put what cell `i` holds there, as "FILE:LINE: entry":
// the element's, then those of the speed, adhesion, gradient and tunnel the
// cell holds.
std::vector<std::string> origin(const Loading& c, size_t i);

// A fault as one line for the faults pane.
std::string fault_line(const Fault& f);

// The position field of the entry on line `line` of `file`, when that
// entry's key is one that places something at a position (a signal, a
// gradient, a curve ...).
std::optional<int32_t> entry_position(const std::vector<DescriptionEntry>& entries,
                                      const std::string& file, int line);

// What a board says, for a label beside its mark: a speed-indicator
// board's three speeds ("90/300/80"), an indication board's text on one
// line ("GALLERIA B. RINZELLI Km. 1.150").
struct CartelloLabel {
  size_t cella = 0;
  int64_t metres = 0;  // where the description places the board
  std::string text;    // UTF-8
};

// The labels of the boards in cells [da, a), left to right.
std::vector<CartelloLabel> cartelli_labels(const CompiledScenario& s, size_t from, size_t a);

}  // namespace sc::view
