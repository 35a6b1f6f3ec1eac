// The window of metres the viewer shows, and its zoom and pan: pure
// arithmetic, kept apart from the drawing so that it can be tested.
#pragma once

#include <algorithm>

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

}  // namespace sc::vista
