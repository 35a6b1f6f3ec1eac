#include "plot/compact_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "compiler/tracciato_piano.h"
#include "format/tracciato.h"

namespace sc {
namespace {

// The plan the compile writes for a line of `last` rows with these curve
// entries ("key", start, length).
Tracciato compiled_plan(int32_t last,
                        const std::vector<std::tuple<const char*, int32_t, int32_t>>& curves) {
  PlanSteps steps;
  steps.last_row = last;
  PianoTracciato plan(steps);
  plan.seed();
  for (const auto& [key, s, l] : curves) EXPECT_EQ(plan.add_curve(key, s, l), CurveOutcome::done);
  plan.complete();
  return plan_in_memory(steps);
}

bool same(const Numero& a, const Numero& b) {
  const double x = a.valore, y = b.valore;
  return a.tag == b.tag && std::bit_cast<uint64_t>(x) == std::bit_cast<uint64_t>(y);
}

// Every row of `compact` against the plan, asked for in `order`.
void expect_rows(const CompactPlan& compact, const Tracciato& t, const std::vector<size_t>& order,
                 const std::string& how) {
  ASSERT_EQ(compact.rows(), t.rows());
  size_t wrong = 0;
  for (const size_t i : order) {
    const CompactPlan::Row r = compact.row(i);
    if (!same(r.x, t.column(0)[i]) || !same(r.y, t.column(1)[i])) {
      if (++wrong <= 3) ADD_FAILURE() << how << ": row " << i << " differs";
    }
  }
  EXPECT_EQ(wrong, 0u) << how;
}

// The orders in which the plot and the viewer ask: in order, three rows
// around each (curvature, kilometre ticks), in strides (the viewer's
// sampled lines), backwards, and at random.
std::vector<std::pair<std::string, std::vector<size_t>>> orders(size_t n) {
  std::vector<std::pair<std::string, std::vector<size_t>>> o;
  std::vector<size_t> v;
  for (size_t i = 0; i < n; ++i) v.push_back(i);
  o.emplace_back("in order", v);
  std::vector<size_t> around;
  for (size_t i = 2; i < n; ++i) around.insert(around.end(), {i - 2, i - 1, i});
  o.emplace_back("three at a time", around);
  std::vector<size_t> stride;
  for (size_t i = 0; i < n; i += 250) stride.push_back(i);
  for (size_t i = n / 3; i < n; i += 7) stride.push_back(i);
  o.emplace_back("in strides", stride);
  std::reverse(v.begin(), v.end());
  o.emplace_back("backwards", v);
  std::mt19937 random(7);
  std::shuffle(v.begin(), v.end(), random);
  v.resize(std::min<size_t>(v.size(), 3000));
  o.emplace_back("at random", v);
  return o;
}

TEST(CompactPlan, HoldsACompiledPlanAsItsStepsAndGivesEveryRowBitForBit) {
  const struct {
    const char* what;
    int32_t last;
    std::vector<std::tuple<const char*, int32_t, int32_t>> curves;
  } cases[] = {
      {"straight line", 5000, {}},
      {"every class both ways",
       20000,
       {{"curvad1", 500, 900},
        {"curvas2", 1500, 700},
        {"curvad3", 3000, 1024},
        {"curvas4", 4100, 300},
        {"curvad5", 5000, 2047},
        {"curvas6", 8000, 200},
        {"curvad6", 8200, 100}}},
      {"curves meeting at the marks", 9000, {{"curvad2", 1024, 1024}, {"curvas2", 2048, 3000}}},
  };
  for (const auto& c : cases) {
    const Tracciato t = compiled_plan(c.last, c.curves);
    const CompactPlan compact(t);
    // The seeds and the two empty rows at the end; every other row a step.
    EXPECT_EQ(compact.rows_held(), 4u) << c.what;
    for (const auto& [how, order] : orders(static_cast<size_t>(t.rows())))
      expect_rows(compact, t, order, std::string(c.what) + ", " + how);
  }
}

TEST(CompactPlan, KeepsWhatNoStepGivesAsItIs) {
  Tracciato t = compiled_plan(6000, {{"curvad4", 1000, 2500}});
  const struct {
    size_t row;
    Numero x, y;
  } edits[] = {
      {1025, Numero::real(std::nextafter(t.column(0)[1025].valore, 1e9)), t.column(1)[1025]},
      {1026, Numero::integer(12), Numero::integer(-3)},  // right after a mark
      {2000, Numero{}, t.column(1)[2000]},
      {3000, Numero::real(std::nan("")), Numero::real(INFINITY)},
      {3001, Numero::real(-0.0), Numero::real(1e300)},
  };
  for (const auto& e : edits) {
    t.column(0)[e.row] = e.x;
    t.column(1)[e.row] = e.y;
  }
  const CompactPlan compact(t);
  // An edited row is held, and so are at most the two after it (no step
  // from it gives them); the rest stays steps.
  EXPECT_GE(compact.rows_held(), 4u + std::size(edits));
  EXPECT_LE(compact.rows_held(), 4u + 3 * std::size(edits));
  for (const auto& [how, order] : orders(static_cast<size_t>(t.rows())))
    expect_rows(compact, t, order, how);
}

TEST(CompactPlan, ReadFromTheFileInPiecesAsFromThePlanHeldWhole) {
  Tracciato t = compiled_plan(3000, {{"curvas3", 100, 2000}});
  t.column(1)[1500] = Numero::integer(7);
  const std::string bytes = serializza_tracciato(t);
  const CompactPlan compact = CompactPlan::read(PlanFile(bytes_reader(bytes), bytes.size(), 64));
  EXPECT_LE(compact.rows_held(), 7u);
  expect_rows(compact, t, orders(static_cast<size_t>(t.rows())).front().second, "from the file");
  EXPECT_FALSE(CompactPlan::read(PlanFile(bytes_reader(""), 0)).present());
}

}  // namespace
}  // namespace sc
