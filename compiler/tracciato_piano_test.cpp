#include "compiler/tracciato_piano.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace sc {
namespace {

Percorso plan_of(int32_t lunghezza) {
  Percorso p;
  p.lunghezza_totale = lunghezza + coda_linea;
  create_plan(p);
  return p;
}

double x(const Tracciato& t, int i) { return t.column(0).at(i).valore; }
double y(const Tracciato& t, int i) { return t.column(1).at(i).valore; }
Numero::Tag tag(const Tracciato& t, int i) { return t.column(0).at(i).tag; }

TEST(TracciatoPiano, SeedsAreIntegersAndFinishLeavesTheLastTwoRowsEmpty) {
  Percorso p = plan_of(92000);
  ASSERT_EQ(p.tracciato.rows(), 99001);
  EXPECT_EQ(tag(plan_in_memory(p.tracciato), 0),
            Numero::Tag::empty);  // not seeded: all empty
  PianoTracciato t(p.tracciato);
  t.seed();
  EXPECT_EQ(t.cursor(), 2);
  {
    const Tracciato r = plan_in_memory(p.tracciato);
    for (int c = 0; c < 2; ++c) {
      for (int i = 0; i < 2; ++i) EXPECT_EQ(r.column(c).at(i).tag, Numero::Tag::integer);
      EXPECT_EQ(r.column(c).at(2).tag, Numero::Tag::empty);
    }
    EXPECT_EQ(y(r, 1), 1);
  }
  t.complete();
  EXPECT_EQ(t.cursor(), 98999);
  const Tracciato r = plan_in_memory(p.tracciato);
  EXPECT_EQ(tag(r, 98998), Numero::Tag::real);
  EXPECT_EQ(r.column(1).at(98998).tag, Numero::Tag::real);
  EXPECT_EQ(y(r, 98998), 98998);
  EXPECT_EQ(x(r, 98998), 0);
  for (int i : {98999, 99000}) {
    EXPECT_EQ(r.column(0).at(i).tag, Numero::Tag::empty);
    EXPECT_EQ(r.column(1).at(i).tag, Numero::Tag::empty);
  }
}

TEST(TracciatoPiano, CurvatureComesFromTheFirstDigitAndTheLetterS) {
  const struct {
    const char* key;
    double k;  // 0: no class
  } cases[] = {
      {"curvad1", 0.0001},  {"curvas1", -0.0001}, {"curvad2", 0.0002}, {"curvas3", -0.0004},
      {"curvad4", 0.001},   {"curvad5", 0.002},   {"CURVAS6", -0.003}, {"curvaD3", 0.0004},
      {"curvad13", 0.0001}, {"curvad31", 0.0001},  // digit 1 is tested before 3
      {"curvad7", 0},       {"curvad", 0},        {"curvas0", 0},
  };
  for (const auto& c : cases) {
    const std::optional<double> k = curvatura(c.key);
    if (c.k == 0) {
      EXPECT_FALSE(k.has_value()) << c.key;
    } else {
      ASSERT_TRUE(k.has_value()) << c.key;
      EXPECT_EQ(*k, c.k) << c.key;
    }
  }
}

TEST(TracciatoPiano, RightCurveOfClassOneTurnsTowardsPlusX) {
  Percorso p = plan_of(92000);
  PianoTracciato t(p.tracciato);
  t.seed();
  ASSERT_EQ(t.add_curve("curvad1", 2000, 9000), CurveOutcome::done);
  EXPECT_EQ(t.cursor(), 11001);
  const Tracciato r = plan_in_memory(p.tracciato);
  for (int i = 2; i <= 2000; ++i) {
    ASSERT_EQ(x(r, i), 0) << i;
    ASSERT_EQ(y(r, i), i) << i;
    ASSERT_EQ(tag(r, i), Numero::Tag::real) << i;
  }
  EXPECT_EQ(x(r, 2001), 0.0001);
  EXPECT_EQ(y(r, 2001), 2001);
  EXPECT_GT(x(r, 2002) - x(r, 2001), x(r, 2001));
  EXPECT_EQ(tag(r, 11000), Numero::Tag::real);
  EXPECT_EQ(tag(r, 11001), Numero::Tag::empty);

  // After n curved metres the step has turned clockwise by n atan(k) and
  // grown by (1 + k^2)^(n / 2): it is never normalised.
  const double k = 0.0001, n = 9000;
  const double dx = x(r, 11000) - x(r, 10999), dy = y(r, 11000) - y(r, 10999);
  EXPECT_NEAR(std::atan2(dx, dy), n * std::atan(k), 1e-7);
  EXPECT_NEAR(std::hypot(dx, dy), std::pow(1 + k * k, n / 2), 1e-7);
  EXPECT_GT(dx, 0);
}

TEST(TracciatoPiano, ComputesEachPointWithTheSumsInTheirOrder) {
  // x(i) = x(i-1) + dx + k dy with dx = 2^-53 at x = 1 and k dy just below
  // 2^-53: adding dx first loses it, grouping dx with k dy would not.
  const double dx = std::ldexp(1.0, -53), k = 0.0001, dy = 0.9 * dx / k;
  PointsPrevious s{1.0 - dx, 1.0, 0.0, dy};
  std::vector<double> xs, ys;
  compute_steps(s, 1, true, k, [&](double xn, double yn) {
    xs.push_back(xn);
    ys.push_back(yn);
  });
  const double x1 = 1.0, y1 = dy;
  const double dxr = x1 - (1.0 - dx), dyr = y1 - 0.0;
  ASSERT_NE(x1 + dx + k * dy, x1 + (dx + k * dy));  // the fixture tells the orders apart
  ASSERT_EQ(xs.size(), 1u);
  EXPECT_EQ(xs[0], x1 + dxr + k * dyr);
  EXPECT_EQ(ys[0], y1 + dyr - k * dxr);
  EXPECT_EQ(s.x2, x1);
  EXPECT_EQ(s.x1, xs[0]);
}

TEST(TracciatoPiano, BackToBackCurvesEqualOneLongCurve) {
  Percorso a = plan_of(92000), b = plan_of(92000);
  PianoTracciato ta(a.tracciato), tb(b.tracciato);
  ta.seed();
  tb.seed();
  ASSERT_EQ(ta.add_curve("curvas1", 33000, 1000), CurveOutcome::done);
  EXPECT_EQ(ta.cursor(), 34001);
  ASSERT_EQ(ta.add_curve("curvas1", 34000, 5000), CurveOutcome::done);
  ASSERT_EQ(tb.add_curve("curvas1", 33000, 6000), CurveOutcome::done);
  EXPECT_EQ(ta.cursor(), 39001);
  EXPECT_EQ(tb.cursor(), 39001);
  const Tracciato ra = plan_in_memory(a.tracciato), rb = plan_in_memory(b.tracciato);
  for (int i = 33990; i <= 39000; ++i) {
    ASSERT_EQ(x(ra, i), x(rb, i)) << i;
    ASSERT_EQ(y(ra, i), y(rb, i)) << i;
  }
  EXPECT_LT(x(ra, 39000), 0);  // a left curve turns towards -x
}

// Rows handed out in batches are the rows computed one by one, whatever
// the batch size and wherever a batch ends inside a run.
TEST(TracciatoPiano, BatchesGiveTheSameRows) {
  Percorso p = plan_of(30000);
  PianoTracciato piano(p.tracciato);
  piano.seed();
  ASSERT_EQ(piano.add_curve("curvad3", 2000, 1), CurveOutcome::done);  // a run of one row
  ASSERT_EQ(piano.add_curve("curvas1", 2001, 5000), CurveOutcome::done);
  ASSERT_EQ(piano.add_curve("curvad6", 12000, 700), CurveOutcome::done);
  piano.complete();
  std::vector<double> expected;
  per_computed_rows(p.tracciato, [&](double xn, double yn) {
    expected.push_back(xn);
    expected.push_back(yn);
  });
  ASSERT_EQ(expected.size(), 2u * static_cast<size_t>(p.tracciato.cursor() - 2));
  for (const size_t lotto : {size_t{1}, size_t{2}, size_t{999}, size_t{1024}, expected.size()}) {
    SCOPED_TRACE("batch of " + std::to_string(lotto));
    ComputedRows rows(p.tracciato);
    std::vector<double> bx(lotto), by(lotto), date;
    while (const size_t n = rows.next(bx.data(), by.data(), lotto)) {
      ASSERT_LE(n, lotto);
      for (size_t i = 0; i < n; ++i) {
        date.push_back(bx[i]);
        date.push_back(by[i]);
      }
    }
    ASSERT_EQ(date.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(date[i], expected[i]) << "value " << i;
  }
}

TEST(TracciatoPiano, CurveBehindTheCursor) {
  Percorso p = plan_of(92000);
  PianoTracciato t(p.tracciato);
  t.seed();
  ASSERT_EQ(t.add_curve("curvad1", 5000, 1000), CurveOutcome::done);
  const double x_before = x(plan_in_memory(p.tracciato), 6000);
  // Ends behind the cursor: changes nothing.
  ASSERT_EQ(t.add_curve("curvas6", 100, 200), CurveOutcome::done);
  EXPECT_EQ(t.cursor(), 6001);
  const Tracciato r0 = plan_in_memory(p.tracciato);
  EXPECT_EQ(x(r0, 6000), x_before);
  EXPECT_EQ(tag(r0, 6001), Numero::Tag::empty);
  // Begins behind the cursor: runs from the cursor to s + l, all curved.
  ASSERT_EQ(t.add_curve("curvad6", 5500, 600), CurveOutcome::done);
  EXPECT_EQ(t.cursor(), 6101);
  const Tracciato r = plan_in_memory(p.tracciato);
  const double d0x = x(r, 6000) - x(r, 5999), d0y = y(r, 6000) - y(r, 5999);
  const double d1x = x(r, 6001) - x(r, 6000), d1y = y(r, 6001) - y(r, 6000);
  EXPECT_NEAR(std::atan2(d1x, d1y) - std::atan2(d0x, d0y), std::atan(0.003), 1e-9);
}

TEST(TracciatoPiano, Error103Cases) {
  {
    Percorso p = plan_of(92000);
    PianoTracciato t(p.tracciato);
    t.seed();
    EXPECT_EQ(t.add_curve("curvad7", 2000, 100), CurveOutcome::without_class);
    EXPECT_EQ(t.cursor(), 2);
    // The end of the curve may be the last row.
    EXPECT_EQ(t.add_curve("curvad1", 98000, 1000), CurveOutcome::done);
    EXPECT_EQ(t.cursor(), 99001);
  }
  {
    // A curve running past the last row computes every row up to it, then
    // fails at the first row beyond the plan.
    Percorso p = plan_of(92000);
    PianoTracciato t(p.tracciato);
    t.seed();
    EXPECT_EQ(t.add_curve("curvad1", 98000, 1001), CurveOutcome::beyond_plan);
    EXPECT_EQ(t.cursor(), 99001);
    const Tracciato r = plan_in_memory(p.tracciato);
    EXPECT_EQ(tag(r, 98000), Numero::Tag::real);
    EXPECT_EQ(x(r, 98000), 0);  // the straight run
    EXPECT_EQ(tag(r, 99000), Numero::Tag::real);
    EXPECT_GT(x(r, 99000), 0);  // the curve up to the last row
    // So does a straight run that would pass it.
    Percorso q = plan_of(92000);
    PianoTracciato u(q.tracciato);
    u.seed();
    EXPECT_EQ(u.add_curve("curvas2", 99005, 0), CurveOutcome::beyond_plan);
    EXPECT_EQ(u.cursor(), 99001);
    EXPECT_EQ(y(plan_in_memory(q.tracciato), 99000), 99000);
  }
  {
    // The cursor may not pass row 1000000; the points before stay.
    Percorso p = plan_of(1000000);
    PianoTracciato t(p.tracciato);
    t.seed();
    EXPECT_EQ(t.add_curve("curvad1", 999990, 100), CurveOutcome::beyond_limit);
    EXPECT_EQ(t.cursor(), 1000001);
    const Tracciato r = plan_in_memory(p.tracciato);
    EXPECT_EQ(tag(r, 1000000), Numero::Tag::real);
    EXPECT_EQ(tag(r, 1000001), Numero::Tag::empty);
    EXPECT_GT(x(r, 1000000), 0);
  }
  {
    Percorso p = plan_of(1000000);
    PianoTracciato t(p.tracciato);
    t.seed();
    EXPECT_EQ(t.add_curve("curvad1", 1000005, 0), CurveOutcome::beyond_limit);
    EXPECT_EQ(t.cursor(), 1000001);
    EXPECT_EQ(x(plan_in_memory(p.tracciato), 1000000), 0);
  }
}

// The record holds one run per stretch, not one entry per row: a curve
// entry adds at most a straight and a curved run, whatever its length.
TEST(TracciatoPiano, RecordsRunsNotRows) {
  Percorso p = plan_of(1000000);
  PianoTracciato t(p.tracciato);
  t.seed();
  ASSERT_EQ(t.add_curve("curvad1", 500000, 400000), CurveOutcome::done);
  ASSERT_EQ(t.add_curve("curvas2", 900000, 100), CurveOutcome::done);  // starts at the cursor
  t.complete();
  EXPECT_EQ(p.tracciato.steps.size(), 4u);
  EXPECT_EQ(t.cursor(), 1006999);
}

}  // namespace
}  // namespace sc
