#include "format/positions.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Positions, ABoardsTextOnOneLine) {
  const struct {
    const char* grezzo;
    const char* riga;
  } cases[] = {
      {"(GALLERIA PIANORO)( Km. 10.710     )", "GALLERIA PIANORO Km. 10.710"},
      {"(BIVIO)", "BIVIO"},
      {"(GALLERIA   )(B. RINZELLI)(Km. 1.150  )", "GALLERIA B. RINZELLI Km. 1.150"},
      {"  A  B ", "A B"},
      {"()( )", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(text_on_one_line(c.grezzo), c.riga) << c.grezzo;
}

TEST(Positions, ASpeedBoardsPackedSpeeds) {
  Cella c;
  c.valore_1 = 1617;  // left 80 km/h, right 85 km/h
  c.valore_2 = 1818;
  c.valore_3 = 2020;
  EXPECT_EQ(velocita_cartello(c), "80/90/100");
  EXPECT_EQ(right_speed(1617), 85);
  EXPECT_EQ(left_speed(0), 0);
  EXPECT_EQ(right_speed(0), 0);
}

}  // namespace
}  // namespace sc
