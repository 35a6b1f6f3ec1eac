#include "plot/plan_curves.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <optional>

#include "compiler/tracciato_piano.h"

namespace sc {

namespace {

struct Point {
  double x = 0.0;
  double y = 0.0;
};

std::optional<Point> point(const CompactPlan& t, size_t i) {
  if (i >= static_cast<size_t>(t.rows())) return std::nullopt;
  const CompactPlan::Row r = t.row(i);
  if (r.x.tag == Numero::Tag::empty || r.y.tag == Numero::Tag::empty) return std::nullopt;
  const double x = r.x.valore;
  const double y = r.y.valore;
  if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
  return Point{x, y};
}

// The curvature class of point i, 0 when it or the two before it are missing.
double point_curvature(const CompactPlan& t, size_t i) {
  if (i < 2) return 0.0;
  const std::optional<Point> a = point(t, i - 2);
  const std::optional<Point> b = point(t, i - 1);
  const std::optional<Point> c = point(t, i);
  if (!a || !b || !c) return 0.0;
  const double dx1 = b->x - a->x, dy1 = b->y - a->y;
  const double dx2 = c->x - b->x, dy2 = c->y - b->y;
  const double n = dx1 * dx1 + dy1 * dy1;
  if (!(n > 0.0) || !std::isfinite(n)) return 0.0;
  const double k = -(dx1 * dy2 - dy1 * dx2) / n;
  return std::isfinite(k) ? curvature_class(k) : 0.0;
}

}  // namespace

double curvature_class(double k) {
  const double m = std::fabs(k);
  // Below half the gentlest class the step is straight.
  if (!(m >= curvature_classes[0] / 2)) return 0.0;
  // The first class whose midpoint to the next lies above m.
  double best = curvature_classes[std::size(curvature_classes) - 1];
  for (size_t i = 0; i + 1 < std::size(curvature_classes); ++i) {
    if (m < (curvature_classes[i] + curvature_classes[i + 1]) / 2) {
      best = curvature_classes[i];
      break;
    }
  }
  return k < 0 ? -best : best;
}

std::vector<CurvaStretch> curva_stretches(const CompactPlan& t) {
  std::vector<CurvaStretch> r;
  const size_t rows = static_cast<size_t>(t.rows());
  double open = 0.0;  // the class of the open stretch, 0: none open
  for (size_t i = 2; i < rows; ++i) {
    const double k = point_curvature(t, i);
    const int32_t metre = static_cast<int32_t>(i);
    if (k != 0.0 && k == open) {
      r.back().a = metre;
    } else if (k != 0.0) {
      r.push_back({metre - 1, metre, static_cast<int32_t>(std::nearbyint(1.0 / std::fabs(k))),
                   k > 0 ? CurvaSide::right : CurvaSide::left});
    }
    open = k;
  }
  return r;
}

}  // namespace sc
