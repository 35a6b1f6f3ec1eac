// Faults found while compiling: recorded in the route model (last one wins)
// and collected, in the order found, for the caller to report; beside them
// the diagnostics that change nothing in the compiled files (warnings,
// notes, faults found after the first one).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "compiler/fault_catalogue.h"
#include "model/percorso.h"

namespace sc {

// Where in a description file a field stands. Lines and columns count from 1;
// `line` 0 means "no source position".
struct SourceLocation {
  SourceLocation() = default;
  SourceLocation(std::string f, int l, int c, int w, std::string t, int p = 0)
      : file(std::move(f)), line(l), column(c), width(w), text(std::move(t)), first(p) {}

  std::string file;
  int line = 0;
  int column = 0;  // in `text`
  int width = 0;
  std::string text;  // the source line without its line end, or an excerpt of a long one
  // Characters of the line before what `text` shows (an excerpt shows
  // "..." in their place): the column in the file is prima + column, less
  // the three dots.
  int first = 0;

  // The column of the field in the file's line.
  int file_column() const { return first > 0 ? first + column - 3 : column; }
};

// A further place a diagnostic points to ("the signal placed here").
struct Note {
  SourceLocation where;
  std::string message;
};

struct Fault {
  Fault() = default;
  Fault(int32_t c, std::optional<int32_t> pos, std::optional<SourceLocation> w, std::string m,
        Severity g = Severity::errore)
      : codice(c), posizione(pos), where(std::move(w)), message(std::move(m)), severity(g) {}

  int32_t codice = 0;  // fault number (E16 is 16), warning number (W3 is 3) or note number
  std::optional<int32_t> posizione;  // metres, when the fault has one
  std::optional<SourceLocation> where;
  std::string message;  // short English phrase
  Severity severity = Severity::errore;
  // Found while reading on after the fault that ended the parse: the
  // compiled files do not reflect it.
  bool after_first = false;
  std::vector<Note> notes;
  uint32_t order = 0;  // the order in which diagnostics were recorded
};

// The code as diagnostics show it: "E16", "W3", "N1".
std::string diagnostic_code(const Fault& f);

// Which entry of a description put each thing a cell holds there, so that
// a fault found on the cells can name the entries behind them and the
// viewer can show them: the element (the entry that last changed the cell's
// element fields) and, for each profile, the entry whose value the cell
// holds.
enum class CellLayer : uint8_t { element, velocita, aderenza, pendenza, galleria };
inline constexpr size_t cell_layers = 5;

class CellOrigins {
 public:
  struct CellOrigin {
    SourceLocation where;  // the entry's key, position or value field
    std::string what;      // "signal", "station", "gradient" ...
  };
  static constexpr uint32_t none = UINT32_MAX;
  // A new entry; its number for mark.
  uint32_t is_new(SourceLocation where, std::string what) {
    entries_.push_back({std::move(where), std::move(what)});
    return static_cast<uint32_t>(entries_.size() - 1);
  }
  void mark(int32_t cella, uint32_t entry, CellLayer layer = CellLayer::element) {
    if (cella < 0) return;
    std::vector<uint32_t>& v = origin_[static_cast<size_t>(layer)];
    if (static_cast<size_t>(cella) >= v.size()) v.resize(static_cast<size_t>(cella) + 1, none);
    v[static_cast<size_t>(cella)] = entry;
  }
  // The entry behind what the cell holds in `layer`; null when none is.
  const CellOrigin* at(int32_t cella, CellLayer layer = CellLayer::element) const {
    const std::vector<uint32_t>& v = origin_[static_cast<size_t>(layer)];
    if (cella < 0 || static_cast<size_t>(cella) >= v.size()) return nullptr;
    const uint32_t e = v[static_cast<size_t>(cella)];
    return e == none ? nullptr : &entries_[e];
  }

 private:
  std::vector<CellOrigin> entries_;
  std::array<std::vector<uint32_t>, cell_layers> origin_;
};

class FaultLog {
 public:
  // A fault the rules record (see registra).
  void add(Fault f) {
    f.order = next_++;
    faults_.push_back(std::move(f));
  }
  // A diagnostic that leaves the compiled files and the recorded fault as
  // they are: a warning, a note, a fault of the text encoding or a fault
  // found after the first.
  void add_other(Fault f) {
    f.order = next_++;
    others_.push_back(std::move(f));
  }
  void avviso(int32_t numero, std::optional<SourceLocation> where, std::string message,
              std::vector<Note> notes = {}) {
    Fault f{numero, std::nullopt, std::move(where), std::move(message), Severity::avviso};
    f.notes = std::move(notes);
    add_other(std::move(f));
  }

  // A further place for fault `i` of all() to point to.
  void add_note(size_t i, Note r) {
    if (i < faults_.size()) faults_[i].notes.push_back(std::move(r));
  }

  // The faults the rules record, in the order found.
  const std::vector<Fault>& all() const { return faults_; }
  bool empty() const { return faults_.empty(); }
  // The fault number the route model records: that of the last fault, 0
  // when there is none.
  int32_t codice_errore() const { return faults_.empty() ? 0 : faults_.back().codice; }
  // Everything else, in the order found (a deque: a million warnings grow
  // it without ever being copied to a larger block).
  const std::deque<Fault>& others() const { return others_; }
  // Both, in the order found.
  std::vector<const Fault*> in_order() const;

  size_t numero(Severity g) const;
  // Whether anything of the given gravity was recorded beside the faults.
  bool has_others(Severity g) const { return count_others(g) > 0; }
  size_t count_others(Severity g) const;

  void clear() {
    faults_.clear();
    others_.clear();
    origins = CellOrigins();
  }

  // Filled by the parse, read by the diagnostics of the cells.
  CellOrigins origins;

 private:
  std::vector<Fault> faults_;
  std::deque<Fault> others_;
  uint32_t next_ = 0;
};

// The warnings of `log` counted by what they say the compile did: "3
// warnings: 2 entries changed, 1 skipped"; "" when there is none.
std::string warnings_summary(const FaultLog& log);

// Records a fault: appends it to the log, from which the route model's
// fault record follows: `codice_errore` is the log's, and `posizione_errore`
// the fault's position when it has one (otherwise it stays as it was).
inline void record(Percorso& p, FaultLog& log, Fault f) {
  if (f.posizione) p.posizione_errore = *f.posizione;
  log.add(std::move(f));
  p.codice_errore = log.codice_errore();
}

}  // namespace sc
