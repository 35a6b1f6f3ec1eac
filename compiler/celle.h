// The cells of the route model as the placements see them: checked access
// by index and how a cell is named in diagnostics.
#pragma once

#include <vector>

#include <cstdint>
#include <string>

#include "model/percorso.h"

namespace sc {

// True when `indice` is a cell: 0 to U.
inline bool entro_le_celle(const Percorso& p, double indice) {
  return indice >= 0.0 && indice <= static_cast<double>(p.ultima_cella());
}

// The cell at `indice`; an index outside 0 to U throws std::out_of_range
// naming `ruolo`: "<ruolo> N lies outside cells 0..U".
Cella& cella_a(Percorso& p, double indice, const std::string& ruolo);

// While one lives, every cell that cella_a hands out is noted with its
// content at that moment, so that the caller can tell which cells a
// placement changed and what they held before. One at a time per thread;
// a second one waits its turn (the first stays in force).
class OsservaCelle {
 public:
  struct Vista {
    int32_t indice;
    Cella prima;
  };
  OsservaCelle();
  ~OsservaCelle();
  OsservaCelle(const OsservaCelle&) = delete;
  OsservaCelle& operator=(const OsservaCelle&) = delete;
  void vedi(int32_t indice, const Cella& c);
  const std::vector<Vista>& viste() const { return viste_; }

 private:
  std::vector<Vista> viste_;
  bool attivo_ = false;
};

// Whether a placement changed the element the cell holds: its type or
// values (an approach marker alone is no element).
bool cella_cambiata(const Cella& prima, const Cella& dopo);

// A cell outside 0 to U, named for a diagnostic: "cell -1, before the first
// cell" or "cell 1981, beyond the last cell 1980".
std::string cella_fuori(int64_t indice, int32_t ultima);

// What a taken cell holds, for messages: "a signal", "a station stop",
// "an indication board" ..., or "element type N" for another type.
std::string contenuto_cella(uint8_t tipo);

}  // namespace sc
