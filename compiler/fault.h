// Faults found while compiling: recorded in the route model (last one wins)
// and collected, in the order found, for the caller to report; beside them
// the diagnostics that change nothing in the compiled files (warnings,
// notes, faults found after the first one).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/catalogo_codici.h"
#include "model/percorso.h"

namespace sc {

// Where in a description file a field stands. Lines and columns count from 1;
// `line` 0 means "no source position".
struct SourceLocation {
  SourceLocation() = default;
  SourceLocation(std::string f, int l, int c, int w, std::string t, int p = 0)
      : file(std::move(f)), line(l), column(c), width(w), text(std::move(t)), prima(p) {}

  std::string file;
  int line = 0;
  int column = 0;  // in `text`
  int width = 0;
  std::string text;  // the source line without its line end, or an excerpt of a long one
  // Characters of the line before what `text` shows (an excerpt shows
  // "..." in their place): the column in the file is prima + column, less
  // the three dots.
  int prima = 0;

  // The column of the field in the file's line.
  int colonna_file() const { return prima > 0 ? prima + column - 3 : column; }
};

// A further place a diagnostic points to ("the signal placed here").
struct Richiamo {
  SourceLocation where;
  std::string message;
};

struct Fault {
  Fault() = default;
  Fault(int32_t c, std::optional<int32_t> pos, std::optional<SourceLocation> w, std::string m,
        Gravita g = Gravita::errore)
      : codice(c), posizione(pos), where(std::move(w)), message(std::move(m)), gravita(g) {}

  int32_t codice = 0;  // fault number (E16 is 16), warning number (W3 is 3) or note number
  std::optional<int32_t> posizione;  // metres, when the fault has one
  std::optional<SourceLocation> where;
  std::string message;  // short English phrase
  Gravita gravita = Gravita::errore;
  // Found while reading on after the fault that ended the parse: the
  // compiled files do not reflect it.
  bool dopo_il_primo = false;
  std::vector<Richiamo> richiami;
  uint32_t ordine = 0;  // the order in which diagnostics were recorded
};

// The code as diagnostics show it: "E16", "W3", "N1".
std::string codice_diagnostica(const Fault& f);

// Which entry of a description last changed each cell, so that a fault
// found on the cells can name the entries behind them.
class OriginiCelle {
 public:
  struct Voce {
    SourceLocation where;  // the entry's key or position field
    std::string cosa;      // "signal", "station" ...
  };
  // A new entry; its number for segna.
  size_t nuova(SourceLocation where, std::string cosa) {
    voci_.push_back({std::move(where), std::move(cosa)});
    return voci_.size() - 1;
  }
  void segna(int32_t cella, size_t voce) {
    if (cella < 0) return;
    if (static_cast<size_t>(cella) >= origine_.size()) origine_.resize(static_cast<size_t>(cella) + 1, nessuna);
    origine_[static_cast<size_t>(cella)] = voce;
  }
  // The entry that last changed the cell; null when none did.
  const Voce* di(int32_t cella) const {
    if (cella < 0 || static_cast<size_t>(cella) >= origine_.size()) return nullptr;
    const size_t v = origine_[static_cast<size_t>(cella)];
    return v == nessuna ? nullptr : &voci_[v];
  }

 private:
  static constexpr size_t nessuna = static_cast<size_t>(-1);
  std::vector<Voce> voci_;
  std::vector<size_t> origine_;
};

class FaultLog {
 public:
  // A fault the rules record (see registra).
  void add(Fault f) {
    f.ordine = prossimo_++;
    faults_.push_back(std::move(f));
  }
  // A diagnostic that leaves the compiled files and the recorded fault as
  // they are: a warning, a note, a fault of the text encoding or a fault
  // found after the first.
  void aggiungi_altra(Fault f) {
    f.ordine = prossimo_++;
    altre_.push_back(std::move(f));
  }
  void avviso(int32_t numero, std::optional<SourceLocation> where, std::string message,
              std::vector<Richiamo> richiami = {}) {
    Fault f{numero, std::nullopt, std::move(where), std::move(message), Gravita::avviso};
    f.richiami = std::move(richiami);
    aggiungi_altra(std::move(f));
  }

  // A further place for fault `i` of all() to point to.
  void aggiungi_richiamo(size_t i, Richiamo r) {
    if (i < faults_.size()) faults_[i].richiami.push_back(std::move(r));
  }

  // The faults the rules record, in the order found.
  const std::vector<Fault>& all() const { return faults_; }
  bool empty() const { return faults_.empty(); }
  // The fault number the route model records: that of the last fault, 0
  // when there is none.
  int32_t codice_errore() const { return faults_.empty() ? 0 : faults_.back().codice; }
  // Everything else, in the order found.
  const std::vector<Fault>& altre() const { return altre_; }
  // Both, in the order found.
  std::vector<const Fault*> in_ordine() const;

  size_t numero(Gravita g) const;
  // Whether anything of the given gravity was recorded beside the faults.
  bool ha_altre(Gravita g) const { return numero_altre(g) > 0; }
  size_t numero_altre(Gravita g) const;

  void clear() {
    faults_.clear();
    altre_.clear();
    origini = OriginiCelle();
  }

  // Filled by the parse, read by the diagnostics of the cells.
  OriginiCelle origini;

 private:
  std::vector<Fault> faults_;
  std::vector<Fault> altre_;
  uint32_t prossimo_ = 0;
};

// Records a fault: appends it to the log, from which the route model's
// fault record follows: `codice_errore` is the log's, and `posizione_errore`
// the fault's position when it has one (otherwise it stays as it was).
inline void registra(Percorso& p, FaultLog& log, Fault f) {
  if (f.posizione) p.posizione_errore = *f.posizione;
  log.add(std::move(f));
  p.codice_errore = log.codice_errore();
}

}  // namespace sc
