// The curves of a track plan, read back from its points: where the line
// bends, how sharply and to which side.
#pragma once

#include <cstdint>
#include <vector>

#include "model/percorso.h"
#include "plot/compact_plan.h"

namespace sc {

enum class CurvaSide { right, left };

// A run of plan points bent with the same curvature class. `from` is the
// point the first curved step leaves, `a` the last curved point: a curve
// entry "s, l" bends points s + 1 to s + l and gives the stretch s to s + l.
struct CurvaStretch {
  int32_t from = 0;
  int32_t a = 0;
  int32_t radius = 0;  // metres, of the nearest curvature class
  CurvaSide side = CurvaSide::right;

  bool operator==(const CurvaStretch&) const = default;
};

// The curvature class nearest to `k` (per metre, right positive), or 0 for
// a straight step; the classes are 0.0001, 0.0002, 0.0004, 0.001, 0.002 and
// 0.003 per metre.
double curvature_class(double k);

// The curve stretches of a decoded plan, in order. The curvature of point
// i (i >= 2) comes from the two steps before it, d1 = p[i-1] - p[i-2] and
// d2 = p[i] - p[i-1]: k = -cross(d1, d2) / |d1|^2, taken to its class.
// Consecutive points of the same class join; a straight point, an empty or
// non-finite entry ends a stretch.
std::vector<CurvaStretch> curva_stretches(const CompactPlan& t);

}  // namespace sc
