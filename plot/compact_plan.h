// A track plan held in little memory: each row that is the step the compile
// takes from the two rows before it (straight, or curved by one of its
// classes) is kept as that step, bit for bit; any other row (the seeds, the
// empty rows at the end, a value edited by hand) is kept as its values. A
// row is computed again when asked for, from the nearest of the points kept
// every 1024 rows. The plan of the longest line takes some tens of
// kilobytes instead of 20 MB, and any plan at most about its file's size.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "format/tracciato.h"
#include "model/percorso.h"

namespace sc {

class CompactPlan {
 public:
  struct Row {
    Numero x, y;
  };

  CompactPlan() = default;
  // The rows of a plan held whole (implicit: a plan in memory converts).
  CompactPlan(const Tracciato& t);  // NOLINT(google-explicit-constructor)
  // The rows of a plan file, read in pieces: never held whole.
  static CompactPlan read(const PlanFile& file);

  bool present() const { return rows_ > 0; }
  int32_t rows() const { return rows_; }
  // Row `i` (below rows()), as the plan holds it. Cheapest in order, or
  // up to two rows back from the last one asked for. It keeps where it
  // stands: one thread at a time.
  Row row(size_t i) const;
  // The rows kept as their values, not as a step.
  size_t rows_held() const { return held_.size(); }

 private:
  void add(const Numero& x, const Numero& y);
  Row step_from(size_t r, const Row& before_2, const Row& before_1, size_t& held_at,
                size_t& run_at) const;

  struct Held {
    int32_t row;
    Row value;
  };
  struct Run {
    int32_t first;       // the first row of the run
    int8_t curve_class;  // 0 straight, +n a right curve of class n, -n a left one
  };
  static constexpr size_t every = 1024;

  int32_t rows_ = 0;
  std::vector<Held> held_;  // by row
  std::vector<Run> runs_;   // by first row
  // For rows 2 + 1024 m: the two rows before it.
  std::vector<std::array<Row, 2>> marks_;
  // The last three rows computed, last_ - 2 to last_ (-1: none), of which
  // those from valid_from_ on are known.
  mutable int64_t last_ = -1;
  mutable int64_t valid_from_ = 0;
  mutable std::array<Row, 3> recent_{};
  mutable size_t held_at_ = 0, run_at_ = 0;  // where the walk stood in held_ and runs_
};

}  // namespace sc
