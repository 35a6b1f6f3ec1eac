#include "plot/plan_curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "compiler/tracciato_piano.h"
#include "format/tracciato.h"

namespace sc {
namespace {

struct CurvaEntry {
  std::string key;
  int32_t s;
  int32_t l;
};

// The plan the compile writes for a line of `last` rows with these curve
// entries, read back from its file as plot reads it.
Tracciato plan_of(int32_t last, const std::vector<CurvaEntry>& entries) {
  PlanSteps steps;
  steps.last_row = last;
  PianoTracciato plan(steps);
  plan.seed();
  for (const CurvaEntry& v : entries)
    EXPECT_EQ(plan.add_curve(v.key, v.s, v.l), CurveOutcome::done);
  plan.complete();
  return decode_plan(serializza_tracciato(plan_in_memory(steps)));
}

TEST(CurvaStretches, CurveEntriesComeBackAsTheirStretches) {
  using L = CurvaSide;
  const struct {
    const char* nome;
    int32_t last;
    std::vector<CurvaEntry> entries;
    std::vector<CurvaStretch> expected;
  } cases[] = {
      {"straight line", 3000, {}, {}},
      {"right curve", 5000, {{"curvad1", 2000, 900}}, {{2000, 2900, 10000, L::right}}},
      {"left curve", 5000, {{"curvas4", 1000, 300}}, {{1000, 1300, 1000, L::left}}},
      {"every class",
       9000,
       {{"curvad1", 100, 50},
        {"curvad2", 300, 50},
        {"curvas3", 500, 50},
        {"curvad4", 700, 50},
        {"curvas5", 900, 50},
        {"curvad6", 1100, 50}},
       {{100, 150, 10000, L::right},
        {300, 350, 5000, L::right},
        {500, 550, 2500, L::left},
        {700, 750, 1000, L::right},
        {900, 950, 500, L::left},
        {1100, 1150, 333, L::right}}},
      // The second starts at the point where the first ends.
      {"back to back, other side",
       5000,
       {{"curvad3", 1000, 500}, {"curvas3", 1500, 400}},
       {{1000, 1500, 2500, L::right}, {1500, 1900, 2500, L::left}}},
      {"back to back, same side, other radius",
       5000,
       {{"curvad2", 1000, 500}, {"curvad5", 1500, 400}},
       {{1000, 1500, 5000, L::right}, {1500, 1900, 500, L::right}}},
      // Same class back to back: one stretch, as the plan cannot tell them apart.
      {"back to back, same class",
       5000,
       {{"curvas1", 1000, 500}, {"curvas1", 1500, 400}},
       {{1000, 1900, 10000, L::left}}},
      {"one metre of curve", 5000, {{"curvad6", 1000, 1}}, {{1000, 1001, 333, L::right}}},
      // The last two rows stay empty: a curve reaching the third-last row.
      {"curve reaching the end", 5000, {{"curvad2", 4000, 998}}, {{4000, 4998, 5000, L::right}}},
  };
  for (const auto& c : cases) {
    const Tracciato t = plan_of(c.last, c.entries);
    ASSERT_EQ(t.rows(), c.last + 1) << c.nome;
    const std::vector<CurvaStretch> found = curva_stretches(t);
    ASSERT_EQ(found.size(), c.expected.size()) << c.nome;
    for (size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].from, c.expected[i].from) << c.nome << " " << i;
      EXPECT_EQ(found[i].a, c.expected[i].a) << c.nome << " " << i;
      EXPECT_EQ(found[i].radius, c.expected[i].radius) << c.nome << " " << i;
      EXPECT_EQ(found[i].side, c.expected[i].side) << c.nome << " " << i;
    }
  }
}

TEST(CurvaStretches, CurvatureGoesToTheNearestClassOrStraight) {
  const struct {
    double k, curve_class;
  } cases[] = {{0.0, 0.0},        {0.00004, 0.0},      {-0.00004, 0.0}, {0.00011, 0.0001},
               {0.00025, 0.0002}, {-0.00035, -0.0004}, {0.0009, 0.001}, {0.0026, 0.003},
               {0.05, 0.003},     {-1e300, -0.003}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(curvature_class(c.k), c.curve_class) << c.k;
}

// Plans no compile writes: empty, too short, holes and non-finite points
// end a stretch and never fault: a missing point leaves itself and the two
// points after it without a curvature.
TEST(CurvaStretches, OddPlansGiveNoStretchAcrossTheirHoles) {
  EXPECT_TRUE(curva_stretches(Tracciato{}).empty());
  EXPECT_TRUE(curva_stretches(Tracciato(1)).empty());
  Tracciato t = plan_of(3000, {{"curvad4", 1000, 600}});
  t.column(0)[1300] = Numero{};                    // an empty entry
  t.column(1)[1450] = Numero::real(std::nan(""));  // not a number
  const std::vector<CurvaStretch> r = curva_stretches(t);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0], (CurvaStretch{1000, 1299, 1000, CurvaSide::right}));
  EXPECT_EQ(r[1], (CurvaStretch{1302, 1449, 1000, CurvaSide::right}));
  EXPECT_EQ(r[2], (CurvaStretch{1452, 1600, 1000, CurvaSide::right}));
}

}  // namespace
}  // namespace sc
