#include "compiler/station_placement.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace sc {
namespace {

class StationPlacement : public ::testing::Test {
 protected:
  void SetUp() override { create_cells(p, 92000); }  // cells 0 to 1980

  // Fills record k as the parser would and places it.
  Placement stazione(int32_t progressiva, uint8_t tipo, int32_t lunghezza, uint8_t dato_5 = 0,
                     uint8_t dato_6 = 0, int32_t b = 68) {
    Elemento& r = p.elementi[static_cast<size_t>(k)];
    r.progressiva = progressiva;
    r.tipo = tipo;
    r.dato_5 = dato_5;
    r.dato_6 = dato_6;
    return place_station(p, k, lunghezza, b);
  }

  std::vector<int> warnings() const {
    std::vector<int> out;
    for (size_t i = 0; i < p.celle.size(); ++i)
      if (p.celle[i].avviso) out.push_back(static_cast<int>(i));
    return out;
  }
  std::vector<int> stops() const {
    std::vector<int> out;
    for (size_t i = 0; i < p.celle.size(); ++i)
      if (p.celle[i].tipo == tipo_cella::fermata) out.push_back(static_cast<int>(i));
    return out;
  }

  Percorso p;
  int32_t k = 1;
};

TEST_F(StationPlacement, EmbeddedStations) {
  EXPECT_EQ(stazione(0, 8, 700).codice, 0);
  EXPECT_EQ(stazione(29950, 12, 400).codice, 0);
  EXPECT_EQ(stazione(93700, 6, 800).codice, 0);
  EXPECT_EQ(k, 4);

  EXPECT_EQ(p.elementi[1].inizio, -700);
  EXPECT_EQ(p.elementi[1].fine, 700);
  EXPECT_EQ(p.elementi[2].inizio, 29750);
  EXPECT_EQ(p.elementi[2].fine, 30150);
  EXPECT_EQ(p.elementi[3].inizio, 92900);
  EXPECT_EQ(p.elementi[3].fine, 93850);

  EXPECT_EQ(stops(), (std::vector<int>{13, 602, 1876}));
  EXPECT_EQ(p.celle[13].valore_1, 1);
  EXPECT_EQ(p.celle[602].valore_1, 2);
  EXPECT_EQ(p.celle[1876].valore_1, 3);
  EXPECT_EQ(warnings(), (std::vector<int>{9, 10, 11, 12, 598, 599, 600, 601}));
  for (int j = 1; j <= 4; ++j) {
    EXPECT_EQ(p.celle[static_cast<size_t>(13 - j)].avviso, 80 + j);
    EXPECT_EQ(p.celle[static_cast<size_t>(602 - j)].avviso, 80 + j);
  }
}

TEST_F(StationPlacement, ExtentByType) {
  struct Case {
    uint8_t tipo;
    uint8_t dato_6;
    int32_t inizio, fine;
    uint8_t dato_6_after;
    bool fermata, warnings;
  };
  const Case cases[] = {
      {5, 1, 9000, 10150, 0, true, false}, {6, 0, 9000, 10150, 0, true, false},
      {7, 1, 9000, 11000, 0, true, true},  {8, 0, 9000, 11000, 0, true, true},
      {12, 0, 9500, 10500, 0, true, true}, {12, 1, 9500, 10550, 1, true, true},
      {24, 1, 9500, 10550, 1, true, true}, {30, 1, 9500, 10550, 1, false, false},
  };
  for (const Case& c : cases) {
    Percorso q;
    create_cells(q, 92000);
    q.elementi[1].fine = -10000;  // a station before it, far away
    Elemento& r = q.elementi[2];
    r.progressiva = 10000;
    r.tipo = c.tipo;
    r.dato_6 = c.dato_6;
    int32_t kk = 2;
    EXPECT_EQ(place_station(q, kk, 1000, 68).codice, 0) << int(c.tipo);
    EXPECT_EQ(r.inizio, c.inizio) << int(c.tipo);
    EXPECT_EQ(r.fine, c.fine) << int(c.tipo);
    EXPECT_EQ(r.dato_6, c.dato_6_after) << int(c.tipo);
    const size_t stop = static_cast<size_t>(c.fine / 50 - 1);
    EXPECT_EQ(q.celle[stop].tipo, c.fermata ? tipo_cella::fermata : 0) << int(c.tipo);
    EXPECT_EQ(q.celle[stop].valore_1, c.fermata ? 2 : 0) << int(c.tipo);
    EXPECT_EQ(q.celle[stop - 1].avviso, c.warnings ? 81 : 0) << int(c.tipo);
    EXPECT_EQ(q.celle[stop - 4].avviso, c.warnings ? 84 : 0) << int(c.tipo);
    EXPECT_EQ(q.celle[stop - 5].avviso, 0) << int(c.tipo);
  }
}

TEST_F(StationPlacement, FirstStationDropsDato5AndDato6AfterUsingIt) {
  EXPECT_EQ(stazione(10000, 12, 800, 7, 1).codice, 0);
  EXPECT_EQ(p.elementi[1].fine, 10450);  // still 50 m further
  EXPECT_EQ(p.elementi[1].dato_5, 0);
  EXPECT_EQ(p.elementi[1].dato_6, 0);

  EXPECT_EQ(stazione(20000, 12, 600, 7, 1).codice, 0);
  EXPECT_EQ(p.elementi[2].dato_5, 7);  // 600 m is long enough
  EXPECT_EQ(p.elementi[2].dato_6, 1);
  EXPECT_EQ(stazione(30000, 12, 500, 7, 1).codice, 0);
  EXPECT_EQ(p.elementi[3].dato_5, 0);  // below 600 m
  EXPECT_EQ(p.elementi[3].dato_6, 1);
}

TEST_F(StationPlacement, StopAndMarkersOverwriteWhatTheCellsHold) {
  p.celle[200].tipo = tipo_cella::segnale;
  p.celle[199].tipo = tipo_cella::indicatori_v_max;
  p.celle[199].avviso = 33;
  EXPECT_EQ(stazione(10000, 8, 100).codice, 0);  // ends at 10100: stop cell 201
  EXPECT_EQ(stazione(15000, 8, 100).codice, 0);
  // Second station: ends at 15100, stop 301; first: stop 201, markers 200..197.
  EXPECT_EQ(p.celle[201].tipo, tipo_cella::fermata);
  EXPECT_EQ(p.celle[200].tipo, tipo_cella::segnale);
  EXPECT_EQ(p.celle[200].avviso, 81);
  EXPECT_EQ(p.celle[199].tipo, tipo_cella::indicatori_v_max);
  EXPECT_EQ(p.celle[199].avviso, 82);

  p.celle[401].tipo = tipo_cella::segnale;
  EXPECT_EQ(stazione(20000, 8, 100).codice, 0);
  EXPECT_EQ(p.celle[401].tipo, tipo_cella::fermata);
  EXPECT_EQ(p.celle[401].valore_1, 3);
}

TEST_F(StationPlacement, MarkersOnlyAboveCellOne) {
  EXPECT_EQ(stazione(0, 8, 200).codice, 0);  // ends at 200: stop cell 3
  EXPECT_EQ(stops(), (std::vector<int>{3}));
  EXPECT_EQ(warnings(), (std::vector<int>{2}));
  EXPECT_EQ(p.celle[2].avviso, 81);
}

TEST_F(StationPlacement, StationEndingAt100mOrLessFaults24) {
  const Placement e = stazione(0, 8, 100);
  EXPECT_EQ(e.codice, 24);
  EXPECT_EQ(e.message, "station ends at 100 m, 100 m or less: its stop cell would be cell 1");
  EXPECT_EQ(p.elementi[1].inizio, -100);  // the extent stays
  EXPECT_EQ(p.elementi[1].fine, 100);
  EXPECT_TRUE(stops().empty());
  EXPECT_TRUE(warnings().empty());
  EXPECT_EQ(k, 1);
  // A type without stop cell cannot fault 24.
  Percorso q;
  create_cells(q, 92000);
  q.elementi[1].tipo = 30;
  int32_t kk = 1;
  EXPECT_EQ(place_station(q, kk, 100, 68).codice, 0);
}

TEST_F(StationPlacement, SpacingOf350mFromThePreviousEnd) {
  EXPECT_EQ(stazione(10000, 8, 500).codice, 0);  // ends at 10500
  EXPECT_EQ(stazione(11350, 8, 500).codice, 0);  // starts at 10850: 350 m after it
  const Placement e = stazione(12650, 8, 500);   // starts at 12150: 300 m after 11850
  EXPECT_EQ(e.codice, 22);
  EXPECT_EQ(
      e.message,
      "station starts at 12150 m, 300 m after the previous one ends at 11850 m; it must start "
      "350 m or more after it");
  // Written before the fault: extent, stop cell and markers.
  EXPECT_EQ(p.elementi[3].fine, 13150);
  EXPECT_EQ(p.celle[262].tipo, tipo_cella::fermata);
  EXPECT_EQ(p.celle[262].valore_1, 3);
  EXPECT_EQ(p.celle[261].avviso, 81);
  EXPECT_EQ(k, 3);
}

// A station placed before the previous one ends is told as before it, by
// how much.
TEST_F(StationPlacement, SpacingFaultSaysBeforeOrAfter) {
  EXPECT_EQ(stazione(19300, 8, 400).codice, 0);  // ends at 19700
  const Placement e = stazione(9200, 8, 400);    // starts at 8800
  EXPECT_EQ(e.codice, 22);
  EXPECT_EQ(e.message,
            "station starts at 8800 m, 10900 m before the previous one ends at 19700 m; it must "
            "start 350 m or more after it");
}

TEST_F(StationPlacement, RecordCountAgainstTheBoards) {
  // With B = 68 stations 1 to 66 fit; the 67th faults after its cells.
  for (int i = 1; i <= 66; ++i) ASSERT_EQ(stazione(1000 * i, 12, 100).codice, 0) << i;
  EXPECT_EQ(k, 67);
  const Placement e = stazione(67000, 12, 100);
  EXPECT_EQ(e.codice, 10);
  EXPECT_EQ(e.message,
            "no station record left below the indication-board texts (next record 68, first "
            "board record 68)");
  EXPECT_EQ(p.celle[67050 / 50 - 1].tipo, tipo_cella::fermata);
  EXPECT_EQ(p.celle[67050 / 50 - 1].valore_1, 67);
  EXPECT_EQ(p.elementi[68], Elemento{});  // the board record is untouched
}

TEST_F(StationPlacement, StopCellBeyondTheLastCellWritesNoCell) {
  // Type 8, 1000 m long at 98050: ends at 99050, stop cell 1980, the last one.
  EXPECT_EQ(stazione(98050, 8, 1000).codice, 0);
  EXPECT_EQ(stops(), (std::vector<int>{1980}));

  Percorso q;
  create_cells(q, 92000);
  q.elementi[1].progressiva = 98100;  // ends at 99100: stop cell 1981
  q.elementi[1].tipo = 8;
  int32_t kk = 1;
  const Placement e = place_station(q, kk, 1000, 68);
  EXPECT_EQ(e.codice, 15);
  EXPECT_EQ(e.message, "station stop cell 1981 lies beyond the last cell 1980");
  EXPECT_EQ(q.elementi[1].fine, 99100);  // the record keeps its extent
  for (const Cella& c : q.celle) ASSERT_EQ(c.avviso + c.tipo, 0);
  EXPECT_EQ(kk, 1);

  // A station of type 30 has no cells to place, however far it reaches.
  q.elementi[1].fine = 0;
  q.elementi[2].progressiva = 98000;
  q.elementi[2].tipo = 30;
  kk = 2;
  EXPECT_EQ(place_station(q, kk, 4000, 68).codice, 0);
  EXPECT_EQ(q.elementi[2].fine, 100000);
}

TEST_F(StationPlacement, ExtentBeyond32BitsIsARunFailure) {
  p.elementi[1].progressiva = 2000000000;
  p.elementi[1].tipo = 8;
  const Placement e = place_station(p, k, 2000000000, 68);
  EXPECT_EQ(e.codice, 25);
  EXPECT_EQ(e.message, "station end 4000000000 does not fit in 32 bits");
  EXPECT_EQ(p.elementi[1].inizio, 0);  // start 0 fits and is written
  EXPECT_EQ(p.elementi[1].fine, 0);
  EXPECT_EQ(k, 1);
}

}  // namespace
}  // namespace sc
