#include "model/percorso.h"

#include <cfenv>
#include <cmath>

namespace sc {

double arrotonda(double v) {
  // The program never changes the rounding mode, so nearbyint rounds to
  // nearest with ties to even.
  return std::nearbyint(v);
}

int32_t last_cell_for(int32_t lunghezza) {
  return static_cast<int32_t>(arrotonda((static_cast<double>(lunghezza) + coda_linea) / 50.0));
}

void create_cells(Percorso& p, int32_t lunghezza) {
  const int32_t u = last_cell_for(lunghezza);
  p.celle.assign(u < 0 ? 0 : static_cast<size_t>(u) + 1, Cella{});
}

}  // namespace sc
