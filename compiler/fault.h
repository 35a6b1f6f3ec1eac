// Faults found while compiling: recorded in the route model (last one wins)
// and collected, in the order found, for the caller to report.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/percorso.h"

namespace sc {

// Where in a description file a field stands. Lines and columns count from 1;
// `line` 0 means "no source position".
struct SourceLocation {
  std::string file;
  int line = 0;
  int column = 0;
  int width = 0;
  std::string text;  // the whole source line, without its line end
};

struct Fault {
  int32_t codice = 0;
  std::optional<int32_t> posizione;  // metres, when the fault has one
  std::optional<SourceLocation> where;
  std::string message;  // short English phrase
};

class FaultLog {
 public:
  void add(Fault f) { faults_.push_back(std::move(f)); }
  const std::vector<Fault>& all() const { return faults_; }
  bool empty() const { return faults_.empty(); }
  void clear() { faults_.clear(); }

 private:
  std::vector<Fault> faults_;
};

// Records a fault: sets `codice_errore`, sets `posizione_errore` when the
// fault has a position, and appends it to the log.
inline void registra(Percorso& p, FaultLog& log, Fault f) {
  p.codice_errore = f.codice;
  if (f.posizione) p.posizione_errore = *f.posizione;
  log.add(std::move(f));
}

}  // namespace sc
