#include "compiler/cell_pass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace sc {
namespace {

using namespace tipo_cella;

Percorso linea(int32_t last) {
  Percorso p;
  p.celle.assign(static_cast<size_t>(last) + 1, Cella{});
  return p;
}

void put(Percorso& p, int32_t c, uint8_t tipo, int16_t v1 = 0) {
  p.celle.at(static_cast<size_t>(c)).tipo = tipo;
  p.celle.at(static_cast<size_t>(c)).valore_1 = v1;
}

const Cella& cella(const Percorso& p, int32_t c) { return p.celle.at(static_cast<size_t>(c)); }

// The cells that hold a cab-code cell, in index order.
std::vector<int32_t> codici(const Percorso& p) {
  std::vector<int32_t> out;
  for (size_t c = 0; c < p.celle.size(); ++c)
    if (p.celle[c].tipo == codice) out.push_back(static_cast<int32_t>(c));
  return out;
}

bool cells_equal(const Percorso& a, const Percorso& b) {
  if (a.celle.size() != b.celle.size()) return false;
  for (size_t c = 0; c < a.celle.size(); ++c) {
    const Cella& x = a.celle[c];
    const Cella& y = b.celle[c];
    if (x.tipo != y.tipo || x.valore_1 != y.valore_1 || x.valore_2 != y.valore_2 ||
        x.valore_3 != y.valore_3 || x.valore_4 != y.valore_4 || x.tempo != y.tempo ||
        x.avviso != y.avviso || x.galleria != y.galleria || x.velocita != y.velocita ||
        x.pendenza != y.pendenza || x.aderenza != y.aderenza)
      return false;
  }
  return true;
}

TEST(Minimo, SmallerValueAndFirstOnATie) {
  EXPECT_EQ(minimo(180, 280), 180);
  EXPECT_EQ(minimo(180, 150), 150);
  EXPECT_EQ(minimo(-3, -7), -7);
  // Equal by value: the first argument comes back.
  EXPECT_FALSE(std::signbit(minimo(0.0, -0.0)));
  EXPECT_TRUE(std::signbit(minimo(-0.0, 0.0)));
}

TEST(CellPass, LineWithoutRestrictionsIsLeftAsItIs) {
  Percorso p = linea(60);
  put(p, 10, segnale, 42);
  put(p, 9, marca_galleria);
  put(p, 20, fermata, 1);
  put(p, 30, codice, 250);
  put(p, 40, cartello_indicatore, 80);
  p.celle[25].galleria = 2;
  p.celle[25].pendenza = 104;
  const Percorso first = p;
  FaultLog log;
  cell_pass(p, log);
  EXPECT_TRUE(cells_equal(p, first));
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(p.codice_errore, 0);

  Percorso empty;
  cell_pass(empty, log);
  EXPECT_FALSE(empty.ha_celle());
  EXPECT_TRUE(log.empty());
}

// Rule A: a signal in cell 25 before a warning board in cell 30; the table
// gives what stands in cells 24 (m - 1) and 23 (m - 2) beforehand.
struct RuleACase {
  const char* nome;
  uint8_t tipo_m1;
  int16_t v_m1;
  uint8_t tipo_m2;
  int16_t v_m2;
  uint8_t expected_type_m1;
  int16_t expected_v_m1;
  uint8_t expected_type_m2;
  int16_t expected_v_m2;
  bool errore;
};

TEST(CellPass, RuleAChoosesInItsOrder) {
  const RuleACase cases[] = {
      {"both free: the cell just before", vuota, 0, vuota, 0, codice, 180, vuota, 0, false},
      {"m-1 taken: m-2", fermata, 1, vuota, 0, fermata, 1, codice, 180, false},
      {"free m-2 before lowering m-1", codice, 280, vuota, 0, codice, 280, codice, 180, false},
      {"m-1 code of 280 lowered", codice, 280, fermata, 2, codice, 180, fermata, 2, false},
      {"m-1 code of 150 kept", codice, 150, fermata, 2, codice, 150, fermata, 2, false},
      {"m-2 code lowered", segnale, 5, codice, 200, segnale, 5, codice, 180, false},
      {"tunnel marker replaced", marca_galleria, 0, vuota, 0, codice, 180, vuota, 0, false},
      {"no room: error 11", segnale, 5, fermata, 3, segnale, 5, fermata, 3, true},
  };
  for (const RuleACase& c : cases) {
    SCOPED_TRACE(c.nome);
    Percorso p = linea(60);
    put(p, 30, avviso_rallentamento, 60);
    put(p, 25, segnale, 42);
    put(p, 24, c.tipo_m1, c.v_m1);
    put(p, 23, c.tipo_m2, c.v_m2);
    p.celle[24].galleria = 3;
    p.posizione_errore = 7;
    FaultLog log;
    cell_pass(p, log);
    EXPECT_EQ(cella(p, 24).tipo, c.expected_type_m1);
    EXPECT_EQ(cella(p, 24).valore_1, c.expected_v_m1);
    EXPECT_EQ(cella(p, 24).galleria, 3);  // profile fields never change
    EXPECT_EQ(cella(p, 23).tipo, c.expected_type_m2);
    EXPECT_EQ(cella(p, 23).valore_1, c.expected_v_m2);
    EXPECT_EQ(cella(p, 25).tipo, segnale);
    if (c.errore) {
      ASSERT_EQ(log.all().size(), 1u);
      EXPECT_EQ(log.all()[0].codice, 11);
      EXPECT_EQ(log.all()[0].posizione, 1250);
      EXPECT_FALSE(log.all()[0].where.has_value());
      EXPECT_FALSE(log.all()[0].message.empty());
      EXPECT_EQ(p.codice_errore, 11);
      EXPECT_EQ(p.posizione_errore, 1250);
    } else {
      EXPECT_TRUE(log.empty());
      EXPECT_EQ(p.codice_errore, 0);
      EXPECT_EQ(p.posizione_errore, 7);
    }
  }
}

TEST(CellPass, RuleAScansTwentyCellsAndStopsBelowCellThree) {
  {
    Percorso p = linea(80);
    put(p, 50, avviso_rallentamento);
    put(p, 30, segnale);  // k = 20
    put(p, 49, segnale);  // k = 1
    put(p, 69, segnale);  // after the board: not considered
    put(p, 10, avviso_rallentamento);
    put(p, 9, segnale);  // k = 1 of the board in 10
    Percorso q = linea(80);
    put(q, 75, avviso_rallentamento);
    put(q, 54, segnale);  // k = 21: outside the window
    FaultLog log;
    cell_pass(p, log);
    cell_pass(q, log);
    EXPECT_EQ(codici(p), (std::vector<int32_t>{8, 29, 48}));
    EXPECT_TRUE(codici(q).empty());
    EXPECT_TRUE(log.empty());
  }
  {
    // A board in cell 5 looks at cells 4 and 3 only.
    Percorso p = linea(40);
    put(p, 5, avviso_rallentamento);
    put(p, 2, segnale);
    FaultLog log;
    cell_pass(p, log);
    EXPECT_TRUE(codici(p).empty());
    put(p, 3, segnale);
    cell_pass(p, log);
    EXPECT_EQ(codici(p), (std::vector<int32_t>{1}));  // cell 2 is a signal
  }
  {
    // A board in U - 1 is never visited.
    Percorso p = linea(40);
    put(p, 39, avviso_rallentamento);
    put(p, 37, segnale);
    FaultLog log;
    cell_pass(p, log);
    EXPECT_TRUE(codici(p).empty());
  }
}

TEST(CellPass, RuleAErrorDoesNotEndTheScan) {
  Percorso p = linea(60);
  put(p, 40, avviso_rallentamento);
  put(p, 38, segnale);
  put(p, 37, fermata, 1);
  put(p, 36, segnale);  // 38 finds 37 and 36 taken: error 11
  put(p, 35, fermata, 2);
  put(p, 34, fermata, 3);  // 36 finds 35 and 34 taken: error 11
  put(p, 30, segnale);     // still gets its cell
  FaultLog log;
  cell_pass(p, log);
  EXPECT_EQ(codici(p), (std::vector<int32_t>{29}));
  ASSERT_EQ(log.all().size(), 2u);
  EXPECT_EQ(log.all()[0].posizione, 38 * 50);
  EXPECT_EQ(log.all()[1].posizione, 36 * 50);
  EXPECT_EQ(p.posizione_errore, 36 * 50);  // the last one wins
}

// A fast restriction (no walk) starting in `inizio`, ending in the next cell.
Percorso fast_restriction(int32_t inizio) {
  Percorso p = linea(80);
  put(p, inizio, inizio_rallentamento, 120);
  put(p, inizio + 1, fine_rallentamento, 120);
  return p;
}

TEST(CellPass, ApproachGroupsDependOnTheStartCell) {
  const struct {
    int32_t inizio;
    std::vector<int32_t> expected;
  } cases[] = {
      {7, {}}, {8, {3}}, {13, {8}}, {14, {3, 9}}, {20, {9, 15}}, {21, {3, 10, 16}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.inizio);
    Percorso p = fast_restriction(c.inizio);
    FaultLog log;
    cell_pass(p, log);
    EXPECT_EQ(codici(p), c.expected);
    EXPECT_TRUE(log.empty());
  }
}

TEST(CellPass, ApproachGroupTakesItsFirstFreeCellOrRecordsError12) {
  Percorso p = fast_restriction(40);
  put(p, 35, segnale);  // group 1: 35 taken, 34 tunnel marker
  put(p, 34, marca_galleria);
  put(p, 29, codice, 180);  // group 2: all three taken, codes included
  put(p, 28, codice, 180);
  put(p, 27, fermata, 1);
  put(p, 22, segnale);  // group 3: 22 and 21 taken, 20 free
  put(p, 21, segnale);
  FaultLog log;
  cell_pass(p, log);
  EXPECT_EQ(codici(p), (std::vector<int32_t>{20, 28, 29, 34}));
  EXPECT_EQ(cella(p, 29).valore_1, 180);
  ASSERT_EQ(log.all().size(), 1u);
  EXPECT_EQ(log.all()[0].codice, 12);
  EXPECT_EQ(log.all()[0].posizione, 2000);
  EXPECT_EQ(p.codice_errore, 12);
  EXPECT_EQ(p.posizione_errore, 2000);
}

// A restriction starting in cell 5 (no approach group) and ending in `fine`.
Percorso rallentamento(int16_t velocita, int32_t fine, int32_t last = 100) {
  Percorso p = linea(last);
  put(p, 5, inizio_rallentamento, velocita);
  put(p, fine, fine_rallentamento, velocita);
  return p;
}

TEST(CellPass, SlowRestrictionGetsACodeCellEveryEightCells) {
  const struct {
    int16_t velocita;
    std::vector<int32_t> expected;
  } cases[] = {
      {100, {13, 21, 29}},
      {109, {13, 21, 29}},
      {110, {}},
      {150, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.velocita);
    Percorso p = rallentamento(c.velocita, 35);
    FaultLog log;
    cell_pass(p, log);
    EXPECT_EQ(codici(p), c.expected);
    EXPECT_EQ(cella(p, 35).tipo, fine_rallentamento);
    for (int32_t k : c.expected) EXPECT_EQ(cella(p, k).valore_1, 180);
    EXPECT_TRUE(log.empty());
  }
}

TEST(CellPass, SlowRestrictionWalkFallsBackAndStopsAfterError13) {
  {
    // 13 taken: 12; the count restarts from 12, so 20 is due next; 20 and
    // 19 taken: 21; then 29, then error 13 at 37 and nothing more.
    Percorso p = rallentamento(80, 60);
    put(p, 13, segnale);
    put(p, 20, fermata, 1);
    put(p, 19, segnale);
    put(p, 37, segnale);
    put(p, 36, segnale);
    put(p, 38, fermata, 2);
    FaultLog log;
    cell_pass(p, log);
    EXPECT_EQ(codici(p), (std::vector<int32_t>{12, 21, 29}));
    ASSERT_EQ(log.all().size(), 1u);
    EXPECT_EQ(log.all()[0].codice, 13);
    EXPECT_EQ(log.all()[0].posizione, 37 * 50);
  }
  {
    // A code cell due on the end cell goes to the cell before it, or after.
    Percorso p = rallentamento(80, 13);
    FaultLog log;
    cell_pass(p, log);
    EXPECT_EQ(codici(p), (std::vector<int32_t>{12}));
    Percorso q = rallentamento(80, 13);
    put(q, 12, segnale);
    cell_pass(q, log);
    EXPECT_EQ(codici(q), (std::vector<int32_t>{14}));
    EXPECT_TRUE(log.empty());
  }
}

TEST(CellPass, SignalAfterTheRestrictionEnd) {
  const struct {
    const char* nome;
    int16_t velocita;
    int32_t signal_after;  // cells after the end cell (35)
    uint8_t first;         // what stands in the cell before the signal
    std::vector<int32_t> expected;
    bool errore;
  } cases[] = {
      {"slow, signal 12 cells on", 100, 12, vuota, {13, 21, 29, 46}, false},
      {"slow, signal 13 cells on: not found", 100, 13, vuota, {13, 21, 29}, false},
      {"fast, own end cell", 120, 5, vuota, {39}, false},
      {"fast, cell before taken", 120, 5, fermata, {38}, false},
      {"fast, cell before a code cell", 120, 5, codice, {38, 39}, false},
      {"fast, tunnel marker replaced", 120, 5, marca_galleria, {39}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nome);
    Percorso p = rallentamento(c.velocita, 35);
    const int32_t s = 35 + c.signal_after;
    put(p, s, segnale);
    put(p, s - 1, c.first, c.first == codice ? 250 : 0);
    FaultLog log;
    cell_pass(p, log);
    EXPECT_EQ(codici(p), c.expected);
    EXPECT_EQ(log.empty(), !c.errore);
  }
  {
    // Both cells before the signal taken: error 13 at the end cell.
    Percorso p = rallentamento(120, 35);
    put(p, 40, segnale);
    put(p, 39, fermata, 1);
    put(p, 38, segnale);  // the first signal found is 38: 37, 36 free
    FaultLog log;
    cell_pass(p, log);
    EXPECT_EQ(codici(p), (std::vector<int32_t>{37}));
    put(p, 37, fermata, 2);
    put(p, 36, fermata, 3);
    cell_pass(p, log);
    ASSERT_EQ(log.all().size(), 1u);
    EXPECT_EQ(log.all()[0].codice, 13);
    EXPECT_EQ(log.all()[0].posizione, 35 * 50);
  }
}

TEST(CellPass, FastRestrictionSearchesFromItsOwnEndNotAnEarlierCursor) {
  // A warning board and a slow restriction before it leave cursors far
  // behind (cell 33 after the slow walk); the fast restriction's signal 3
  // cells after its own end still gets its code cell in 92.
  Percorso p = linea(120);
  put(p, 20, avviso_rallentamento);
  put(p, 30, inizio_rallentamento, 60);
  put(p, 33, fine_rallentamento, 60);
  put(p, 60, inizio_rallentamento, 130);
  put(p, 90, fine_rallentamento, 130);
  put(p, 93, segnale);
  FaultLog log;
  cell_pass(p, log);
  // The approach groups of both starts, nothing inside the fast one.
  EXPECT_EQ(codici(p), (std::vector<int32_t>{12, 19, 25, 42, 49, 55, 92}));
  EXPECT_TRUE(log.empty());
}

TEST(CellPass, WalkAndSearchStopAtTheLastCell) {
  {
    // No end cell: the walk stops at U (40), placing 13, 21, 29, 37.
    Percorso p = linea(40);
    put(p, 5, inizio_rallentamento, 50);
    FaultLog log;
    cell_pass(p, log);
    EXPECT_EQ(codici(p), (std::vector<int32_t>{13, 21, 29, 37}));
  }
  {
    // Due on U with U and U - 1 taken: k + 1 is past U, error 13 at U.
    Percorso p = linea(13);
    put(p, 5, inizio_rallentamento, 50);
    put(p, 13, fermata, 1);
    put(p, 12, fermata, 2);
    FaultLog log;
    cell_pass(p, log);
    EXPECT_TRUE(codici(p).empty());
    ASSERT_EQ(log.all().size(), 1u);
    EXPECT_EQ(log.all()[0].codice, 13);
    EXPECT_EQ(log.all()[0].posizione, 13 * 50);
  }
  {
    // A fast start with no end and a signal on U: the search reaches U.
    Percorso p = linea(30);
    put(p, 5, inizio_rallentamento, 200);
    put(p, 30, segnale);
    FaultLog log;
    cell_pass(p, log);
    EXPECT_EQ(codici(p), (std::vector<int32_t>{29}));
  }
  {
    // An end cell 2 cells before U: the search stops at U.
    Percorso p = linea(30);
    put(p, 5, inizio_rallentamento, 80);
    put(p, 28, fine_rallentamento, 80);
    FaultLog log;
    cell_pass(p, log);
    EXPECT_EQ(codici(p), (std::vector<int32_t>{13, 21}));
    EXPECT_TRUE(log.empty());
  }
}

}  // namespace
}  // namespace sc
