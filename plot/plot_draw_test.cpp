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
TEST(PuntiNeiRettangoli, CountsWhatEveryPointSays) {
  std::mt19937 caso(7);
  const auto a = [&] { return static_cast<double>(caso() % 21) / 2; };
  for (int prova = 0; prova < 40; ++prova) {
    std::vector<Punto> punti(caso() % 60);
    for (Punto& p : punti) p = {a(), a()};
    if (prova % 5 == 0) punti.push_back({std::nan(""), 1});
    std::vector<Rett> rett(caso() % 30);
    for (Rett& r : rett) r = {a(), a(), a(), a()};  // some empty or flat
    for (const bool aperti : {false, true}) {
      const std::vector<size_t> conti = punti_nei_rettangoli(punti, rett, aperti);
      ASSERT_EQ(conti.size(), rett.size());
      for (size_t i = 0; i < rett.size(); ++i) {
        const Rett& r = rett[i];
        size_t atteso = 0;
        for (const Punto& p : punti) {
          const bool dentro = aperti ? (p.x > r.x0 && p.x < r.x1 && p.y > r.y0 && p.y < r.y1)
                                     : (p.x >= r.x0 && p.x <= r.x1 && p.y >= r.y0 && p.y <= r.y1);
          atteso += dentro ? 1 : 0;
        }
        EXPECT_EQ(conti[i], atteso) << "test " << prova << " rectangle " << i << (aperti ? " open" : " closed");
      }
    }
  }
}

// Grid steps as whole multiples: none where a step cannot advance the
// value or the values are not finite, none past the limit.
TEST(Multipli, CountsWholeStepsOrNone) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double da, a, passo;
    int64_t primo, quanti;
  } casi[] = {
      {-25, 95, 20, -1, 6},       // -20, 0, 20, 40, 60, 80
      {0, 0, 5, 0, 1},            //
      {1, 2, 5, 0, 0},            // no multiple within
      {1e20, 1e20 + 100, 20, 0, 0},  // the step is below the values' precision
      {-1e308, 1e308, 20, 0, 0},  // far too many
      {-inf, 5, 1, 0, 0},         //
      {0, 5, 0, 0, 0},            //
      {5, 0, 1, 0, 0},            //
      {0, 999, 1, 0, 1000},       // exactly the limit
      {0, 1000, 1, 0, 0},         // one past it
  };
  for (const auto& c : casi) {
    const Multipli m = multipli(c.da, c.a, c.passo, 1000);
    EXPECT_EQ(m.quanti, c.quanti) << c.da << " to " << c.a << " by " << c.passo;
    if (c.quanti > 0) {
      EXPECT_EQ(m.primo, c.primo) << c.da << " to " << c.a;
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
