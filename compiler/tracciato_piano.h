// The track plan: one plane point (x, y) per metre of the line, built from
// the curve entries of the line description. The parse records the steps
// (with the cursor and its checks); the rows are computed only while the
// plan is written.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/percorso.h"

namespace sc {

// The highest plan row the cursor may reach while curves are added.
constexpr int32_t max_plan_cursor = 1000000;

// The integer seeds of rows 0 and 1.
constexpr int16_t seed_x[2] = {0, 0};
constexpr int16_t seed_y[2] = {0, 1};

// Sets `tracciato` to rows 0 to `lunghezza_totale`, every entry empty.
void create_plan(Percorso& p);

// The curvature classes (per metre), chosen by the digits "1" to "6" of a
// curve key in this order; radii 10000, 5000, 2500, 1000, 500 and about
// 333 m.
inline constexpr double curvature_classes[6] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

// The curvature (per metre) of a curve key: the first of the digits 1 to 6
// that the key contains picks the class; an "s" (either case) makes it
// negative (a left curve). Empty when the key holds none of the digits.
std::optional<double> curvatura(std::string_view key);

enum class CurveOutcome {
  done,
  without_class,  // the key holds no digit 1 to 6
  beyond_plan,    // the next row to compute lies beyond the last row of the plan
  beyond_limit,   // the cursor went above 1000000
};

// Records the plan of one parse with its cursor (the next row to compute).
// Every computed entry is a double; the seeds are 16-bit integers.
class PianoTracciato {
 public:
  explicit PianoTracciato(PlanSteps& t) : t_(t) {}

  // Rows 0 and 1 = (0, 0) and (0, 1); the cursor goes to 2.
  void seed();

  // Straight steps up to metre s, then curved steps up to metre s + l, one
  // metre at a time. The run stops with beyond_limit once the cursor passes
  // 1000000, and with beyond_plan at the first row beyond the plan;
  // the points computed before either stop stay.
  CurveOutcome add_curve(std::string_view key, int32_t s, int32_t l);

  // Straight steps up to the third-last row; the last two rows stay empty.
  void complete();

  int32_t cursor() const { return t_.cursor(); }

 private:
  // Steps for rows cursore() to `last` (none when `last` < cursore());
  // empty `k`: straight steps. Throws std::out_of_range for rows outside
  // the plan.
  void steps(int64_t last, std::optional<double> k);
  // Steps up to row `until`; see add_curve for where the run stops.
  CurveOutcome steps_until(int64_t until, std::optional<double> k);

  PlanSteps& t_;
};

// The two points before the next row.
struct PointsPrevious {
  double x2, x1, y2, y1;
};

// Computes the `n` rows after `s` and calls f(x, y) for each in order; `s`
// ends at the last two. Straight step: x(i) = x(i-1) + dx,
// y(i) = y(i-1) + dy. Curved step: x(i) = x(i-1) + dx + k dy,
// y(i) = y(i-1) + dy - k dx. The step (dx, dy) comes from the two points
// before and is never normalised.
template <class F>
inline void compute_steps(PointsPrevious& s, int64_t n, bool curva, double k, F&& f) {
  double x2 = s.x2, x1 = s.x1, y2 = s.y2, y1 = s.y1;
  if (curva) {
    for (int64_t i = 0; i < n; ++i) {
      const double dx = x1 - x2;
      const double dy = y1 - y2;
      const double xn = x1 + dx + k * dy;
      const double yn = y1 + dy - k * dx;
      f(xn, yn);
      x2 = x1, x1 = xn, y2 = y1, y1 = yn;
    }
  } else {
    for (int64_t i = 0; i < n; ++i) {
      const double xn = x1 + (x1 - x2);
      const double yn = y1 + (y1 - y2);
      f(xn, yn);
      x2 = x1, x1 = xn, y2 = y1, y1 = yn;
    }
  }
  s = {x2, x1, y2, y1};
}

// Every computed row of `t` (rows 2 to t.cursore() - 1) in order: f(x, y).
template <class F>
inline void per_computed_rows(const PlanSteps& t, F&& f) {
  if (!t.seeded) return;
  PointsPrevious s{seed_x[0], seed_x[1], seed_y[0], seed_y[1]};
  int64_t riga = 2;
  for (const PlanSteps::PlanStep& p : t.steps) {
    compute_steps(s, p.last - riga + 1, p.curva, p.k, f);
    riga = int64_t{p.last} + 1;
  }
}

// The computed rows of `t` (rows 2 to t.cursore() - 1) handed out in
// batches, the same values as per_computed_rows gives. The batch is
// filled by a loop that calls nothing, so the compiler keeps the two
// points before each row in registers; a writer that encodes row by row
// with calls on its way (to flush a buffer) would make it keep them in
// memory, lengthening the dependency chain from row to row.
class ComputedRows {
 public:
  explicit ComputedRows(const PlanSteps& t)
      : t_(t), s_{seed_x[0], seed_x[1], seed_y[0], seed_y[1]} {}

  // The next rows, at most `n`, into x[0..] and y[0..]; how many were
  // given, 0 after the last.
  size_t next(double* x, double* y, size_t n) {
    size_t dati = 0;
    if (!t_.seeded) return 0;
    while (dati < n && step_ < t_.steps.size()) {
      const PlanSteps::PlanStep& p = t_.steps[step_];
      const int64_t remaining = int64_t{p.last} - riga_ + 1;
      if (remaining <= 0) {
        ++step_;
        continue;
      }
      const int64_t here = std::min<int64_t>(remaining, static_cast<int64_t>(n - dati));
      double* px = x + dati;
      double* py = y + dati;
      compute_steps(s_, here, p.curva, p.k, [&px, &py](double xn, double yn) {
        *px++ = xn;
        *py++ = yn;
      });
      riga_ += here;
      dati += static_cast<size_t>(here);
      if (riga_ > p.last) ++step_;
    }
    return dati;
  }

 private:
  const PlanSteps& t_;
  PointsPrevious s_;
  size_t step_ = 0;
  int64_t riga_ = 2;
};

// The rows of `t` in memory, for tests and tools that look rows up by
// index (20 MB for the longest line: the compile itself never builds it).
Tracciato plan_in_memory(const PlanSteps& t);

}  // namespace sc
