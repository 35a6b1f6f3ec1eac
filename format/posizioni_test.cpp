#include "format/posizioni.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Posizioni, ABoardsTextOnOneLine) {
  const struct {
    const char* grezzo;
    const char* riga;
  } casi[] = {
      {"(GALLERIA PIANORO)( Km. 10.710     )", "GALLERIA PIANORO Km. 10.710"},
      {"(BIVIO)", "BIVIO"},
      {"(GALLERIA   )(B. RINZELLI)(Km. 1.150  )", "GALLERIA B. RINZELLI Km. 1.150"},
      {"  A  B ", "A B"},
      {"()( )", ""},
      {"", ""},
  };
  for (const auto& c : casi) EXPECT_EQ(testo_su_una_riga(c.grezzo), c.riga) << c.grezzo;
}

TEST(Posizioni, ASpeedBoardsPackedSpeeds) {
  Cella c;
  c.valore_1 = 1617;  // left 80 km/h, right 85 km/h
  c.valore_2 = 1818;
  c.valore_3 = 2020;
  EXPECT_EQ(velocita_cartello(c), "80/90/100");
  EXPECT_EQ(velocita_destra(1617), 85);
  EXPECT_EQ(velocita_sinistra(0), 0);
  EXPECT_EQ(velocita_destra(0), 0);
}

}  // namespace
}  // namespace sc
