#include "plot/plot_draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace sc::plot_detail {
namespace {

// The sweep counts what a look at every point would, on edges too or
// strictly inside, with points and edges on a coarse grid so that many
// coincide.
TEST(PointsInRects, CountsWhatEveryPointSays) {
  std::mt19937 test_case(7);
  const auto a = [&] { return static_cast<double>(test_case() % 21) / 2; };
  for (int fixture = 0; fixture < 40; ++fixture) {
    std::vector<Point> points(test_case() % 60);
    for (Point& p : points) p = {a(), a()};
    if (fixture % 5 == 0) points.push_back({std::nan(""), 1});
    std::vector<Rect> rect(test_case() % 30);
    for (Rect& r : rect) r = {a(), a(), a(), a()};  // some empty or flat
    for (const bool open : {false, true}) {
      const std::vector<size_t> counts = points_in_rects(points, rect, open);
      ASSERT_EQ(counts.size(), rect.size());
      for (size_t i = 0; i < rect.size(); ++i) {
        const Rect& r = rect[i];
        size_t expected = 0;
        for (const Point& p : points) {
          const bool inside = open ? (p.x > r.x0 && p.x < r.x1 && p.y > r.y0 && p.y < r.y1)
                                   : (p.x >= r.x0 && p.x <= r.x1 && p.y >= r.y0 && p.y <= r.y1);
          expected += inside ? 1 : 0;
        }
        EXPECT_EQ(counts[i], expected)
            << "test " << fixture << " rectangle " << i << (open ? " open" : " closed");
      }
    }
  }
}

// Grid steps as whole multiples: none where a step cannot advance the
// value or the values are not finite, none past the limit.
TEST(Multiple, CountsWholeStepsOrNone) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double from, a, step;
    int64_t first, how_many;
  } cases[] = {
      {-25, 95, 20, -1, 6},          // -20, 0, 20, 40, 60, 80
      {0, 0, 5, 0, 1},               //
      {1, 2, 5, 0, 0},               // no multiple within
      {1e20, 1e20 + 100, 20, 0, 0},  // the step is below the values' precision
      {-1e308, 1e308, 20, 0, 0},     // far too many
      {-inf, 5, 1, 0, 0},            //
      {0, 5, 0, 0, 0},               //
      {5, 0, 1, 0, 0},               //
      {0, 999, 1, 0, 1000},          // exactly the limit
      {0, 1000, 1, 0, 0},            // one past it
  };
  for (const auto& c : cases) {
    const Multiple m = multiple(c.from, c.a, c.step, 1000);
    EXPECT_EQ(m.how_many, c.how_many) << c.from << " to " << c.a << " by " << c.step;
    if (c.how_many > 0) {
      EXPECT_EQ(m.first, c.first) << c.from << " to " << c.a;
    }
  }
}

}  // namespace
}  // namespace sc::plot_detail

namespace sc::palette {
namespace {

// The viewer takes the palette's colours as bytes: to the nearest, a half
// going up (0.70 x 255 = 178.5 is 179, where rounding half to even would
// give 178).
TEST(Palette, ComponentsBecomeTheNearestByteHalvesUp) {
  const struct {
    double component;
    unsigned char byte;
  } cases[] = {{0.0, 0}, {1.0, 255}, {0.70, 179}, {0.30, 77}, {0.10, 26}, {0.62, 158}, {0.12, 31}};
  for (const auto& c : cases) EXPECT_EQ(byte_of(c.component), c.byte) << c.component;
}

}  // namespace
}  // namespace sc::palette
