// The cells of the route model as the placements see them: checked access
// by index and how a cell is named in diagnostics.
#pragma once

#include <vector>

#include <cstdint>
#include <string>

#include "model/percorso.h"

namespace sc {

// True when `indice` is a cell: 0 to U.
inline bool within_cells(const Percorso& p, double indice) {
  return indice >= 0.0 && indice <= static_cast<double>(p.last_cell());
}

// The cell at `indice`; an index outside 0 to U throws std::out_of_range
// naming `role`: "<ruolo> N lies outside cells 0..U".
Cella& cella_a(Percorso& p, double indice, const std::string& role);

// While one lives, every cell that cella_a hands out is noted with its
// content at that moment, so that the caller can tell which cells a
// placement changed and what they held before. One at a time per thread;
// a second one waits its turn (the first stays in force).
class CellWatch {
 public:
  struct SeenCell {
    int32_t indice;
    Cella first;
  };
  CellWatch();
  ~CellWatch();
  CellWatch(const CellWatch&) = delete;
  CellWatch& operator=(const CellWatch&) = delete;
  void see(int32_t indice, const Cella& c);
  const std::vector<SeenCell>& seen() const { return seen_; }

 private:
  std::vector<SeenCell> seen_;
  bool active_ = false;
};

// Whether a placement changed the element the cell holds: its type or
// values (an approach marker alone is no element).
bool changed_cell(const Cella& first, const Cella& after);

// A cell outside 0 to U, named for a diagnostic: "cell -1, before the first
// cell" or "cell 1981, beyond the last cell 1980".
std::string cell_outside(int64_t indice, int32_t last);

// What a taken cell holds, for messages: "a signal", "a station stop",
// "an indication board" ..., or "element type N" for another type.
std::string cell_content(uint8_t tipo);

}  // namespace sc
