#include "plot/curve_piano.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <optional>

#include "compiler/tracciato_piano.h"

namespace sc {

namespace {

struct Punto {
  double x = 0.0;
  double y = 0.0;
};

std::optional<Punto> punto(const Tracciato& t, size_t i) {
  const std::vector<Numero>& xs = t.colonna(0);
  const std::vector<Numero>& ys = t.colonna(1);
  if (i >= xs.size() || i >= ys.size()) return std::nullopt;
  if (xs[i].tag == Numero::Tag::vuoto || ys[i].tag == Numero::Tag::vuoto) return std::nullopt;
  const double x = xs[i].valore;
  const double y = ys[i].valore;
  if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
  return Punto{x, y};
}

// The curvature class of point i, 0 when it or the two before it are missing.
double curvatura_punto(const Tracciato& t, size_t i) {
  if (i < 2) return 0.0;
  const std::optional<Punto> a = punto(t, i - 2);
  const std::optional<Punto> b = punto(t, i - 1);
  const std::optional<Punto> c = punto(t, i);
  if (!a || !b || !c) return 0.0;
  const double dx1 = b->x - a->x, dy1 = b->y - a->y;
  const double dx2 = c->x - b->x, dy2 = c->y - b->y;
  const double n = dx1 * dx1 + dy1 * dy1;
  if (!(n > 0.0) || !std::isfinite(n)) return 0.0;
  const double k = -(dx1 * dy2 - dy1 * dx2) / n;
  return std::isfinite(k) ? classe_curvatura(k) : 0.0;
}

}  // namespace

double classe_curvatura(double k) {
  const double m = std::fabs(k);
  // Below half the gentlest class the step is straight.
  if (!(m >= classi_curvatura[0] / 2)) return 0.0;
  // The first class whose midpoint to the next lies above m.
  double migliore = classi_curvatura[std::size(classi_curvatura) - 1];
  for (size_t i = 0; i + 1 < std::size(classi_curvatura); ++i) {
    if (m < (classi_curvatura[i] + classi_curvatura[i + 1]) / 2) {
      migliore = classi_curvatura[i];
      break;
    }
  }
  return k < 0 ? -migliore : migliore;
}

std::vector<TrattoCurva> tratti_curva(const Tracciato& t) {
  std::vector<TrattoCurva> r;
  const size_t righe = std::min(t.colonna(0).size(), t.colonna(1).size());
  double aperta = 0.0;  // the class of the open stretch, 0: none open
  for (size_t i = 2; i < righe; ++i) {
    const double k = curvatura_punto(t, i);
    const int32_t metro = static_cast<int32_t>(i);
    if (k != 0.0 && k == aperta) {
      r.back().a = metro;
    } else if (k != 0.0) {
      r.push_back({metro - 1, metro, static_cast<int32_t>(std::nearbyint(1.0 / std::fabs(k))),
                   k > 0 ? LatoCurva::destra : LatoCurva::sinistra});
    }
    aperta = k;
  }
  return r;
}

}  // namespace sc
