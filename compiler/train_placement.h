// Signals and speed restrictions of the train description, placed into the
// cells of the route model.
#pragma once

#include <cstdint>
#include <string>

#include "compiler/celle.h"
#include "compiler/placement.h"
#include "model/percorso.h"

namespace sc {

// Places one signal. The signal cell is the cell after the one holding
// `posizione` (posizione / 50 + 1, rounded). Fault 16, nothing written,
// when that cell is taken. `tempo` values 1 to 100 come
// back as 101. The four approach markers (cells c - 2, c - 4, c - 6, c - 8)
// are written whatever those cells hold; markers before cell 0 are left out.
// The caller has checked that the signal cell lies within the cells; any
// other cell outside them throws std::out_of_range.
Placement memo_segnale(Percorso& p, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                       int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                       int32_t& tempo);

// Places one speed restriction starting at `x`, `l` metres long: a warning
// cell 1200 m before it (only beyond 1500 m), its start and end cells and,
// with `f_ta` set, four approach cells before the warning cell. Fault 17,
// 18, 19 or 20 for a taken warning, start, end or approach cell (the
// warning, start and end cells stay written before 20). A cell outside the
// cells throws std::out_of_range: the caller refuses such restrictions
// first.
Placement memo_rallentamento(Percorso& p, int32_t x, int32_t v, int32_t l, int32_t f_tt,
                             int32_t f_ta, int32_t d_v);

// Places a cab-code point in the cell at the position itself,
// round(posizione / 50): `tipo` 12 with `valore_1` = the low 16 bits of
// `valore` when it is above 0, otherwise `tipo` 13 with `valore_1` left as
// it is. Fault 7, nothing written, when the cell is taken. The caller has
// checked that the cell lies within the cells.
Placement set_cutoff(Percorso& p, int32_t posizione, int32_t valore);

// The cells a restriction uses, as real indices before any range check.
struct CelleRallentamento {
  double avviso;  // warning cell: (x - 1200) / 50 + 1
  double inizio;  // start cell: x / 50 + 1
  double fine;    // end cell: (x + l) / 50 + 1
};
CelleRallentamento celle_rallentamento(int32_t x, int32_t l);

}  // namespace sc
