// The window of metres the viewer shows, its zoom and pan, and which
// labels of a row of marks have room: pure arithmetic, kept apart from the
// drawing so that it can be tested.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace sc::view {

struct Window {
  double from = 0, a = 1000;  // metres shown, [da, a)

  double span() const { return a - from; }

  // Keeps the window inside [0, fine], at least `min` metres wide.
  void limit(double fine, double min = 500) {
    fine = std::max(fine, min);
    double w = std::clamp(span(), min, fine);
    from = std::clamp(from, 0.0, fine - w);
    a = from + w;
  }
  // Zooms by `factor` (below 1 zooms in) keeping metre `pivot` in place.
  void zoom(double factor, double pivot, double fine) {
    const double f = (pivot - from) / std::max(span(), 1e-9);
    const double w = span() * factor;
    from = pivot - f * w;
    a = from + w;
    limit(fine);
  }
  // Moves by `metres` (negative: towards the start).
  void move(double metres, double fine) {
    from += metres;
    a += metres;
    limit(fine);
  }
  // Centres on metre `m`, keeping the width.
  void center(double m, double fine) {
    const double w = span();
    from = m - w / 2;
    a = from + w;
    limit(fine);
  }
};

// Which labels fit in a row of marks at `x` (left to right): label k is
// `width[k]` wide and starts `discard` pixels right of its mark; it is
// drawn when it ends `discard` before the next mark, or before `border` for
// the last one, so that no label covers a mark or another label.
inline std::vector<bool> placed_labels(const std::vector<int>& x, const std::vector<int>& width,
                                       int border, int discard) {
  const size_t n = std::min(x.size(), width.size());
  std::vector<bool> placed(n, false);
  for (size_t k = 0; k < n; ++k) {
    const int until = k + 1 < n ? x[k + 1] - discard : border;
    placed[k] = x[k] + discard + width[k] <= until;
  }
  return placed;
}

}  // namespace sc::view
