#include "compiler/line_placement.h"

#include <gtest/gtest.h>

#include <limits>

namespace sc {
namespace {

struct T {
  int32_t a, b, c;
  bool operator==(const T&) const = default;
};

void put(Percorso& p, int record, T t) {
  p.elementi.at(record).inizio = t.a;
  p.elementi.at(record).fine = t.b;
  p.elementi.at(record).progressiva = t.c;
}

T take(const Percorso& p, int record) {
  const Elemento& e = p.elementi.at(record);
  return {e.inizio, e.fine, e.progressiva};
}

std::ostream& operator<<(std::ostream& o, const T& t) {
  return o << "(" << t.a << ", " << t.b << ", " << t.c << ")";
}

TEST(ProgressiveOrdina, OrdersTheReferencesByFirstValue) {
  const T zero{0, 0, 0};
  const struct {
    const char* test_case;
    T tre, due, uno;  // as read into records 81, 82, 83
    T r81, r82, r83;  // afterwards
  } cases[] = {
      {"all zero stay zero", zero, zero, zero, zero, zero, zero},
      {"zero firsts, due has a second value", zero, {0, 500, 0}, zero, {0, 500, 0}, zero, zero},
      {"zero firsts, tre has a second value", {0, 50, 0}, zero, zero, {0, 50, 0}, zero, zero},
      {"zero firsts, a later test replaces an earlier one",
       {0, 50, 0},
       zero,
       {0, 70, 0},
       {0, 70, 0},
       zero,
       {0, 50, 0}},
      {"firsts summing to zero with no second value clear all",
       {100, 0, 0},
       {-100, 0, 0},
       {0, 0, 0},
       zero,
       zero,
       zero},
      {"tre largest, uno middle",
       {3000, 1, 0},
       {1000, 2, 0},
       {2000, 3, 0},
       {3000, 1, 0},
       {2000, 3, 0},
       {1000, 2, 0}},
      {"tre largest, due middle",
       {3000, 1, 0},
       {2000, 2, 0},
       {1000, 3, 0},
       {3000, 1, 0},
       {2000, 2, 0},
       {1000, 3, 0}},
      {"tre largest, the two smaller equal",
       {3000, 1, 0},
       {1000, 2, 0},
       {1000, 3, 0},
       {3000, 1, 0},
       {1000, 3, 0},
       {1000, 2, 0}},
      {"due largest",
       {1000, 1, 0},
       {5000, 2, 0},
       {2000, 3, 0},
       {5000, 2, 0},
       {2000, 3, 0},
       {1000, 1, 0}},
      {"due largest, tre and uno equal",
       {1000, 1, 0},
       {5000, 2, 0},
       {1000, 3, 0},
       {5000, 2, 0},
       {1000, 3, 0},
       {1000, 1, 0}},
      {"uno largest",
       {2000, 1, 0},
       {1000, 2, 0},
       {5000, 3, 0},
       {5000, 3, 0},
       {2000, 1, 0},
       {1000, 2, 0}},
      {"uno largest, tre and due equal",
       {1000, 1, 0},
       {1000, 2, 0},
       {5000, 3, 0},
       {5000, 3, 0},
       {1000, 2, 0},
       {1000, 1, 0}},
      // No test applies when the largest first value is shared: all three
      // are kept, equal ones in the order tre, due, uno.
      {"tre and due share the largest",
       {2000, 1, 0},
       {2000, 2, 0},
       {1000, 3, 0},
       {2000, 1, 0},
       {2000, 2, 0},
       {1000, 3, 0}},
      {"due and uno share the largest",
       {1000, 1, 0},
       {2000, 2, 0},
       {2000, 3, 0},
       {2000, 2, 0},
       {2000, 3, 0},
       {1000, 1, 0}},
      {"a third value 1 adds 100 to the second",
       {1000, 7, 1},
       {3000, 8, 1},
       {2000, 9, 2},
       {3000, 108, 1},
       {2000, 9, 2},
       {1000, 107, 1}},
  };
  for (const auto& c : cases) {
    Percorso p;
    put(p, 81, c.tre);
    put(p, 82, c.due);
    put(p, 83, c.uno);
    progressive_ordina(p);
    EXPECT_EQ(take(p, 81), c.r81) << c.test_case;
    EXPECT_EQ(take(p, 82), c.r82) << c.test_case;
    EXPECT_EQ(take(p, 83), c.r83) << c.test_case;
  }
}

TEST(ProgressiveOrdina, SecondValueThatWouldOverflowIsARunFailure) {
  Percorso p;
  put(p, 81, {1000, std::numeric_limits<int32_t>::max() - 50, 1});
  EXPECT_THROW(progressive_ordina(p), std::overflow_error);
}

Percorso linea_92000() {
  Percorso p;
  create_cells(p, 92000);
  return p;
}

void montagna(Percorso& p, int32_t inizio, int32_t fine, int32_t tipo) {
  memo_montagna(p, inizio, fine, tipo);
}

TEST(MemoMontagna, MarksEveryFourthCellOfAStretchAboveTen) {
  Percorso p = linea_92000();
  int32_t inizio = 4500, fine = 15200, tipo = 11;
  memo_montagna(p, inizio, fine, tipo);
  EXPECT_EQ(tipo, 1);  // the kind it stored goes back to the caller
  EXPECT_EQ(p.numero_montagne, 1);
  EXPECT_EQ(p.inizi_montagna[1], 4500);
  EXPECT_EQ(p.fini_montagna[1], 15200);
  for (int i = 85; i <= 310; ++i) {
    const bool inside = i >= 90 && i <= 303;
    EXPECT_EQ(p.celle[i].galleria, inside ? 1 : 0) << i;
    const bool marca = inside && (i - 90 + 1) % 4 == 0;
    EXPECT_EQ(p.celle[i].tipo, marca ? tipo_cella::marca_galleria : 0) << i;
  }
  EXPECT_EQ(p.celle[93].tipo, tipo_cella::marca_galleria);
  EXPECT_EQ(p.celle[301].tipo, tipo_cella::marca_galleria);
}

TEST(MemoMontagna, StretchOfKindTwoGetsNoMarkers) {
  Percorso p = linea_92000();
  montagna(p, 63550, 63800, 2);
  for (int i = 1270; i <= 1276; ++i) {
    EXPECT_EQ(p.celle[i].galleria, i >= 1271 && i <= 1275 ? 2 : 0) << i;
    EXPECT_EQ(p.celle[i].tipo, 0) << i;
  }
}

TEST(MemoMontagna, GapOf150OrLessGivesKindThree) {
  const struct {
    int32_t end_before, inizio, tipo, expected;
  } cases[] = {
      {40850, 41000, 11, 3},  // gap 150
      {40850, 41001, 11, 1},  // gap 151
      {40850, 41001, 2, 2},  {60050, 60100, 2, 3},
      {60050, 1000, 2, 3},  // the entry before in file order, wherever it lies
  };
  for (const auto& c : cases) {
    Percorso p = linea_92000();
    montagna(p, c.end_before - 1000, c.end_before, 2);
    int32_t inizio = c.inizio, fine = c.inizio + 1000, tipo = c.tipo;
    memo_montagna(p, inizio, fine, tipo);
    EXPECT_EQ(tipo, c.expected) << c.inizio;
    const int first = static_cast<int>(arrotonda(c.inizio / 50.0));
    EXPECT_EQ(p.celle[first].galleria, c.expected) << c.inizio;
    // Markers decided by a kind above 10 stay when the kind becomes 3.
    EXPECT_EQ(p.celle[first + 3].tipo, c.tipo > 10 ? tipo_cella::marca_galleria : 0) << c.inizio;
  }
}

TEST(MemoMontagna, KeepsElementsOverwritesEarlierStretchesAndStoresTheLowByte) {
  Percorso p = linea_92000();
  p.celle[103].tipo = tipo_cella::segnale;
  montagna(p, 5000, 6000, 12);                        // cells 100..119, kind 2
  EXPECT_EQ(p.celle[103].tipo, tipo_cella::segnale);  // no marker over an element
  EXPECT_EQ(p.celle[103].galleria, 2);
  EXPECT_EQ(p.celle[107].tipo, tipo_cella::marca_galleria);
  montagna(p, 5500, 5550, 266);  // cell 110 only; the gap is negative: kind 3
  EXPECT_EQ(p.celle[110].galleria, 3);
  EXPECT_EQ(p.celle[111].galleria, 2);
  Percorso q = linea_92000();
  montagna(q, 5500, 5600, 266);
  EXPECT_EQ(q.celle[110].galleria, 0);
  EXPECT_EQ(q.celle[110].tipo, 0);  // two cells: no fourth one to mark
  montagna(q, 3000, 3000, 1);       // first cell 60 beyond last 59: no cells
  EXPECT_EQ(q.celle[59].galleria, 0);
  EXPECT_EQ(q.celle[60].galleria, 0);
  EXPECT_EQ(q.numero_montagne, 2);
}

TEST(MemoMontagna, StretchThatDoesNotFitIsRefusedBeforeAnyChange) {
  Percorso p = linea_92000();
  EXPECT_TRUE(montagna_collocabile(p, 98000, 99050));   // last cell 1980
  EXPECT_FALSE(montagna_collocabile(p, 98000, 99100));  // last cell 1981
  EXPECT_TRUE(montagna_collocabile(p, 99000, 20));      // no cells at all
  EXPECT_THROW(montagna(p, 98000, 99100, 11), std::out_of_range);
  EXPECT_EQ(p.numero_montagne, 0);
  EXPECT_EQ(p.celle[1960].galleria, 0);
  for (int i = 1; i <= 80; ++i) montagna(p, i * 1000, i * 1000 + 100, 1);
  EXPECT_FALSE(montagna_collocabile(p, 90000, 90100));
  EXPECT_THROW(montagna(p, 90000, 90100, 1), std::out_of_range);
  EXPECT_EQ(p.numero_montagne, 80);
  EXPECT_EQ(p.celle[1800].galleria, 0);
}

TEST(MemoIndicatoriVMax, PacksSpeedPairsAndStripes) {
  const struct {
    int32_t posizione, vas, vbs, vcs, ss, vad, vbd, vcd, sd;
    int cella;
    int16_t v1, v2, v3, v4;
  } cases[] = {
      {2000, 80, 90, 100, 2, 80, 90, 100, 2, 41, 1616, 1818, 2020, 22},
      {11000, 300, 300, 250, 1, 300, 300, 250, 1, 221, 6060, 6060, 5050, 11},
      {85950, 90, 95, 90, 2, 90, 95, 90, 2, 1720, 1818, 1919, 1818, 22},
      {2025, 90, 0, 0, 3, 95, 0, 0, 1, 42, 1819, 0, 0, 31},  // 41.5 + 1 rounds to 42
      {2075, 82, 0, 0, 0, 83, 0, 0, 0, 42, 1657, 0, 0, 0},   // 1640 + 16.6
      {0, 1638, 0, 0, 0, 0, 0, 0, 0, 1, 32760, 0, 0, 0},
  };
  for (const auto& c : cases) {
    Percorso p = linea_92000();
    EXPECT_TRUE(
        memo_indicatori_v_max(p, c.posizione, c.vas, c.vbs, c.vcs, c.ss, c.vad, c.vbd, c.vcd, c.sd)
            .placed());
    const Cella& cel = p.celle.at(c.cella);
    EXPECT_EQ(cel.tipo, tipo_cella::indicatori_v_max) << c.posizione;
    EXPECT_EQ(cel.valore_1, c.v1) << c.posizione;
    EXPECT_EQ(cel.valore_2, c.v2) << c.posizione;
    EXPECT_EQ(cel.valore_3, c.v3) << c.posizione;
    EXPECT_EQ(cel.valore_4, c.v4) << c.posizione;
  }
}

TEST(MemoIndicatoriVMax, TakenCellIsFault21AndAMarkerIsReplaced) {
  Percorso p = linea_92000();
  const int32_t v = 100, s = 1;
  p.celle[121].tipo = tipo_cella::marca_galleria;
  EXPECT_TRUE(memo_indicatori_v_max(p, 6000, v, v, v, s, v, v, v, s).placed());
  EXPECT_EQ(p.celle[121].tipo, tipo_cella::indicatori_v_max);
  const int32_t w = 200;
  const Placement e = memo_indicatori_v_max(p, 6000, w, w, w, s, w, w, w, s);
  EXPECT_EQ(e.codice, 21);
  EXPECT_EQ(e.message, "speed-indicator board cell 121 already holds a speed-indicator board");
  EXPECT_EQ(p.codice_errore, 0);           // recorded by the caller
  EXPECT_EQ(p.celle[121].valore_1, 2020);  // left as it was
}

TEST(MemoIndicatoriVMax, PackedValueOutside16BitsFailsWithTheCellUntouched) {
  const struct {
    int32_t vas, vbs, vcs, ss, vad, sd;
    int pair;
  } cases[] = {
      {1639, 0, 0, 0, 0, 0, 0},                               // 32780
      {0, -1639, 0, 0, 0, 0, 1},                              // -32780
      {0, 0, 2000, 0, 0, 0, 2},   {0, 0, 0, 3277, 0, 0, 3},   // 32770 stripes
      {0, 0, 0, 0, 0, -32769, 3}, {1638, 0, 0, 0, 40, 0, 0},  // 32760 + 8
  };
  for (const auto& c : cases) {
    Percorso p = linea_92000();
    const int32_t z = 0;
    const Placement e =
        memo_indicatori_v_max(p, 2000, c.vas, c.vbs, c.vcs, c.ss, c.vad, z, z, c.sd);
    EXPECT_EQ(e.codice, 25);
    EXPECT_EQ(e.valore, 1 + c.pair);  // the left value of the pair
    EXPECT_EQ(p.celle[41].tipo, 0);
    EXPECT_EQ(p.celle[41].valore_1, 0);
  }
}

TEST(PlaceBoard, PlacesTheBoardAndItsTextCountingRecordsDown) {
  const struct {
    int32_t posizione;
    uint8_t first;        // the cell's type before
    int32_t record;       // indice_cartelli before
    const char* outcome;  // "" placed, else "CODE: message"
  } cases[] = {
      {4400, 0, 80, ""},                           // cell 89
      {4390, tipo_cella::marca_galleria, 12, ""},  // 88.8 rounds to 89; a marker is replaced
      {4400, tipo_cella::segnale, 80, "6: indication board cell 89 already holds a signal"},
      {4400, 0, 0, "10: no element record left for the text of indication board 81"},
  };
  for (const auto& c : cases) {
    Percorso p = linea_92000();
    p.celle[89].tipo = c.first;
    int32_t record = c.record;
    const Placement e = place_board(p, c.posizione, "(GALLERIA)( Km. 1 )", record);
    EXPECT_EQ(e.placed() ? "" : std::to_string(e.codice) + ": " + e.message, c.outcome)
        << c.posizione;
    EXPECT_EQ(p.codice_errore, 0);
    if (e.placed()) {
      EXPECT_EQ(p.celle[89].tipo, tipo_cella::cartello_indicatore);
      EXPECT_EQ(p.celle[89].valore_1, c.record);
      EXPECT_EQ(p.elementi.at(static_cast<size_t>(c.record)).nome, "(GALLERIA)( Km. 1 )");
      EXPECT_EQ(record, c.record - 1);
    } else {
      EXPECT_EQ(p.celle[89].tipo, c.first);  // nothing written
      EXPECT_EQ(record, c.record);
    }
  }
}

}  // namespace
}  // namespace sc
