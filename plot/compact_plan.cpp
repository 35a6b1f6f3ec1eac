#include "plot/compact_plan.h"

#include <algorithm>
#include <bit>

#include "compiler/tracciato_piano.h"

namespace sc {

namespace {

// The point the compile computes after `b2` and `b1` with the curvature
// class `curve_class` (0 straight, +n a right curve of class n, -n a left one).
CompactPlan::Row step(const CompactPlan::Row& b2, const CompactPlan::Row& b1, int curve_class) {
  const double x2 = b2.x.valore, x1 = b1.x.valore, y2 = b2.y.valore, y1 = b1.y.valore;
  const double dx = x1 - x2;
  const double dy = y1 - y2;
  if (curve_class == 0) return {Numero::real(x1 + dx), Numero::real(y1 + dy)};
  const double k =
      curve_class > 0 ? curvature_classes[curve_class - 1] : -curvature_classes[-curve_class - 1];
  return {Numero::real(x1 + dx + k * dy), Numero::real(y1 + dy - k * dx)};
}

bool same_bits(const Numero& a, const Numero& b) {
  const double x = a.valore, y = b.valore;
  return a.tag == b.tag && std::bit_cast<uint64_t>(x) == std::bit_cast<uint64_t>(y);
}

}  // namespace

CompactPlan::CompactPlan(const Tracciato& t) {
  for (size_t i = 0; i < static_cast<size_t>(t.rows()); ++i) add(t.column(0)[i], t.column(1)[i]);
  last_ = -1;
}

CompactPlan CompactPlan::read(const PlanFile& file) {
  CompactPlan p;
  file.each_row([&p](size_t, const Numero& x, const Numero& y) { p.add(x, y); });
  p.last_ = -1;
  p.held_.shrink_to_fit();
  return p;
}

void CompactPlan::add(const Numero& x, const Numero& y) {
  const int32_t r = rows_;
  const Row& b2 = recent_[1];
  const Row& b1 = recent_[2];
  if (r >= 2 && static_cast<size_t>(r - 2) % every == 0) marks_.push_back({b2, b1});
  bool computed = false;
  if (r >= 2 && x.tag == Numero::Tag::real && y.tag == Numero::Tag::real) {
    // The class of the run before first, then a straight step, then the curves.
    const int open = runs_.empty() ? 0 : runs_.back().curve_class;
    static constexpr int order[] = {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6};
    for (int n = -1; n < static_cast<int>(std::size(order)) && !computed; ++n) {
      const int c = n < 0 ? open : order[n];
      if (n >= 0 && c == open) continue;
      const Row s = step(b2, b1, c);
      if (same_bits(s.x, x) && same_bits(s.y, y)) {
        computed = true;
        if (runs_.empty() || runs_.back().curve_class != c)
          runs_.push_back({r, static_cast<int8_t>(c)});
      }
    }
  }
  if (!computed) held_.push_back({r, {x, y}});
  recent_[0] = recent_[1];
  recent_[1] = recent_[2];
  recent_[2] = {x, y};
  ++rows_;
}

CompactPlan::Row CompactPlan::step_from(size_t r, const Row& before_2, const Row& before_1,
                                        size_t& held_at, size_t& run_at) const {
  while (held_at < held_.size() && static_cast<size_t>(held_[held_at].row) < r) ++held_at;
  if (held_at < held_.size() && static_cast<size_t>(held_[held_at].row) == r)
    return held_[held_at].value;
  while (run_at + 1 < runs_.size() && static_cast<size_t>(runs_[run_at + 1].first) <= r) ++run_at;
  return step(before_2, before_1, runs_.empty() ? 0 : runs_[run_at].curve_class);
}

CompactPlan::Row CompactPlan::row(size_t i) const {
  const auto wanted = static_cast<int64_t>(i);
  if (i < 2) return held_[i].value;  // rows 0 and 1 are always held
  const int64_t mark = 2 + static_cast<int64_t>((i - 2) / every * every);
  if (wanted <= last_ && wanted >= last_ - 2 && wanted >= valid_from_)
    return recent_[static_cast<size_t>(2 - (last_ - wanted))];
  if (!(last_ >= mark - 1 && wanted > last_)) {
    // From the mark at or before the row: the two rows before it are kept.
    const std::array<Row, 2>& m = marks_[static_cast<size_t>((i - 2) / every)];
    recent_ = {Row{}, m[0], m[1]};
    last_ = mark - 1;
    valid_from_ = mark - 2;
    held_at_ =
        static_cast<size_t>(std::lower_bound(held_.begin(), held_.end(), mark,
                                             [](const Held& h, int64_t r) { return h.row < r; }) -
                            held_.begin());
    const auto after = std::upper_bound(runs_.begin(), runs_.end(), mark,
                                        [](int64_t r, const Run& u) { return r < u.first; });
    run_at_ = after == runs_.begin() ? 0 : static_cast<size_t>(after - runs_.begin()) - 1;
  }
  while (last_ < wanted) {
    const Row next =
        step_from(static_cast<size_t>(last_ + 1), recent_[1], recent_[2], held_at_, run_at_);
    recent_[0] = recent_[1];
    recent_[1] = recent_[2];
    recent_[2] = next;
    ++last_;
  }
  return recent_[2];
}

}  // namespace sc
