// The window of metres the viewer shows, its zoom and pan, and which
// labels of a row of marks have room: pure arithmetic, kept apart from the
// drawing so that it can be tested.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace sc::vista {

struct Finestra {
  double da = 0, a = 1000;  // metres shown, [da, a)

  double ampiezza() const { return a - da; }

  // Keeps the window inside [0, fine], at least `minima` metres wide.
  void limita(double fine, double minima = 500) {
    fine = std::max(fine, minima);
    double w = std::clamp(ampiezza(), minima, fine);
    da = std::clamp(da, 0.0, fine - w);
    a = da + w;
  }
  // Zooms by `fattore` (below 1 zooms in) keeping metre `perno` in place.
  void zoom(double fattore, double perno, double fine) {
    const double f = (perno - da) / std::max(ampiezza(), 1e-9);
    const double w = ampiezza() * fattore;
    da = perno - f * w;
    a = da + w;
    limita(fine);
  }
  // Moves by `metri` (negative: towards the start).
  void sposta(double metri, double fine) {
    da += metri;
    a += metri;
    limita(fine);
  }
  // Centres on metre `m`, keeping the width.
  void centra(double m, double fine) {
    const double w = ampiezza();
    da = m - w / 2;
    a = da + w;
    limita(fine);
  }
};

// Which labels fit in a row of marks at `x` (left to right): label k is
// `larghezza[k]` wide and starts `scarto` pixels right of its mark; it is
// drawn when it ends `scarto` before the next mark, or before `bordo` for
// the last one, so that no label covers a mark or another label.
inline std::vector<bool> etichette_con_posto(const std::vector<int>& x,
                                             const std::vector<int>& larghezza, int bordo,
                                             int scarto) {
  const size_t n = std::min(x.size(), larghezza.size());
  std::vector<bool> posto(n, false);
  for (size_t k = 0; k < n; ++k) {
    const int fino = k + 1 < n ? x[k + 1] - scarto : bordo;
    posto[k] = x[k] + scarto + larghezza[k] <= fino;
  }
  return posto;
}

}  // namespace sc::vista
