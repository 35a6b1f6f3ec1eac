// The cell consistency pass: cab-code cells of 180 km/h around speed
// restrictions and the signals near them.
#pragma once

#include "compiler/fault.h"
#include "model/percorso.h"

namespace sc {

// The smaller of two values: `y` when `x` is greater than `y`, otherwise `x`
// (so `x` on a tie).
constexpr double minimo(double x, double y) { return x > y ? y : x; }

// The speed of every cab-code cell the pass places or lowers, km/h.
constexpr int16_t velocita_codice_passo = 180;

// Walks cells 1 to U - 2 once. Before a restriction warning board (type 4)
// every signal in the 20 cells before it gets a cab-code cell in one of the
// two cells before it; before a restriction start (type 3) three approach
// cab-code cells are placed, inside a restriction below 110 km/h one every
// 8 cells, and before the first signal within 12 cells after its end cell
// one more. Where there is no room, faults 11, 12 and 13 are recorded with
// the position (cell index x 50) and the walk goes on. The walk never steps
// past the last cell U. A model without cells is left as it is.
void passo_celle(Percorso& p, FaultLog& log);

}  // namespace sc
