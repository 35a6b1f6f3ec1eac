// Placement of the line description's elements: the order of the three
// kilometre references, tunnel stretches and speed-indicator boards.
#pragma once

#include <cstdint>
#include <string>

#include "compiler/placement.h"
#include "model/percorso.h"

namespace sc {

// Orders the kilometre references of records 81 to 83 by their first value
// (largest in 81) and adds 100 to the second value of every reference whose
// third value is 1.
void progressive_ordina(Percorso& p);

// The cells a tunnel stretch covers: round(inizio / 50) to
// round(fine / 50 - 1); none when `first` > `last`.
struct CelleMontagna {
  int64_t first;
  int64_t last;
  bool vuota() const { return first > last; }
};
CelleMontagna celle_montagna(int32_t inizio, int32_t fine);

// True when a stretch fits: a free entry in the tunnel tables and every
// cell it covers within 0 to U.
bool montagna_collocabile(const Percorso& p, int32_t inizio, int32_t fine);

// Stores a tunnel stretch and marks its cells. Leaves in `tipo` the kind it
// stored. A stretch that does not fit (see montagna_collocabile) throws
// std::out_of_range before anything is changed.
void memo_montagna(Percorso& p, int32_t& inizio, int32_t& fine, int32_t& tipo);

// Places a speed-indicator board in cell round(posizione / 50 + 1). Fault
// 21, nothing written, when the cell is taken; 25, the cell untouched, when
// a packed value does not fit in 16 bits (`valore` 1, 2, 3 for the speed
// pairs a, b, c and 4 for the stripes: the left value of the pair). The
// caller has checked that the cell lies within the cells.
Placement memo_indicatori_v_max(Percorso& p, int32_t posizione, const int32_t& vas,
                                const int32_t& vbs, const int32_t& vcs, const int32_t& strisces,
                                const int32_t& vad, const int32_t& vbd, const int32_t& vcd,
                                const int32_t& strisced);

// Places an indication board in cell round(posizione / 50 + 1), its text in
// record `indice_cartelli`, which then goes down by one. Fault 6 when the
// cell is taken, 10 when no record is left (`indice_cartelli` below 1);
// nothing is written then. The caller has checked that the cell lies
// within the cells.
Placement place_board(Percorso& p, int32_t posizione, const std::string& text,
                      int32_t& indice_cartelli);

}  // namespace sc
