#include "compiler/train_placement.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace sc {
namespace {

// "" for a placement done, "CODE: message" for a fault.
std::string outcome(const Placement& e) {
  return e.placed() ? "" : std::to_string(e.codice) + ": " + e.message;
}

class TrainPlacement : public ::testing::Test {
 protected:
  void SetUp() override { create_cells(p, 92000); }  // cells 0 to 1980

  std::string segnale(int32_t posizione, int32_t sx = 2, int32_t dx = 0, int32_t tempo = 0) {
    return outcome(memo_segnale(p, posizione, sx, 4, 1, 1, 0, dx, 2, 1, 1, tempo));
  }

  Percorso p;
};

TEST_F(TrainPlacement, SignalPacksItsValuesAndMarksFourApproachCells) {
  int32_t tempo = 0;
  EXPECT_EQ(outcome(memo_segnale(p, 3500, 2, 4, 1, 1, 0, 2, 2, 1, 1, tempo)), "");
  const Cella& c = p.celle[71];
  EXPECT_EQ(c.tipo, 1);
  EXPECT_EQ(c.valore_1, 42);
  EXPECT_EQ(c.valore_2, 11);
  EXPECT_EQ(c.valore_3, 11);
  EXPECT_EQ(c.valore_4, 8);
  EXPECT_EQ(c.tempo, 0);
  EXPECT_EQ(p.celle[69].avviso, 81);
  EXPECT_EQ(p.celle[67].avviso, 82);
  EXPECT_EQ(p.celle[65].avviso, 83);
  EXPECT_EQ(p.celle[63].avviso, 84);
  EXPECT_EQ(p.celle[70].avviso, 0);
  EXPECT_EQ(p.celle[68].tipo, 0);  // markers leave the type alone
  EXPECT_EQ(p.codice_errore, 0);
}

TEST_F(TrainPlacement, SignalCellRoundsHalvesToEven) {
  for (int32_t pos : {3525, 3575}) {
    Percorso q;
    create_cells(q, 92000);
    int32_t tempo = 0;
    memo_segnale(q, pos, 1, 0, 0, 0, 0, 0, 0, 0, 0, tempo);
    EXPECT_EQ(q.celle[72].tipo, 1) << pos;
    EXPECT_EQ(q.celle[71].tipo, 0) << pos;
    EXPECT_EQ(q.celle[73].tipo, 0) << pos;
  }
}

TEST_F(TrainPlacement, SignalTempo) {
  struct Case {
    int32_t sx, tempo, returned;
    uint8_t in_cella;
  };
  const Case cases[] = {
      {2, 0, 0, 0},       {2, 1, 101, 101},   {2, 50, 101, 101}, {2, 100, 101, 101},
      {2, 101, 101, 101}, {2, 200, 200, 200}, {2, 300, 300, 44},  // low 8 bits
      {2, -5, -5, 251},   {1, 50, 101, 0},    {0, 200, 200, 0},
  };
  int32_t pos = 1000;
  for (const Case& c : cases) {
    int32_t tempo = c.tempo;
    memo_segnale(p, pos, c.sx, 0, 0, 0, 0, 0, 0, 0, 0, tempo);
    EXPECT_EQ(tempo, c.returned) << "sx " << c.sx << " tempo " << c.tempo;
    EXPECT_EQ(p.celle[static_cast<size_t>(pos / 50 + 1)].tempo, c.in_cella)
        << "sx " << c.sx << " tempo " << c.tempo;
    pos += 1000;
  }
}

TEST_F(TrainPlacement, SignalCellMustBeFreeButMarkersOverwriteAnything) {
  p.celle[71].tipo = tipo_cella::marca_galleria;
  p.celle[69].tipo = tipo_cella::fermata;
  p.celle[69].avviso = 84;
  EXPECT_EQ(segnale(3500, 2, 2), "");
  EXPECT_EQ(p.celle[71].tipo, 1);  // a tunnel marker is replaced
  EXPECT_EQ(p.celle[69].tipo, tipo_cella::fermata);
  EXPECT_EQ(p.celle[69].avviso, 81);

  const std::pair<uint8_t, const char*> cases[] = {{tipo_cella::fermata, "a station stop"},
                                                   {tipo_cella::segnale, "a signal"},
                                                   {tipo_cella::codice, "a cab code"}};
  for (const auto& [taken, what] : cases) {
    Percorso q;
    create_cells(q, 92000);
    q.celle[121].tipo = taken;
    int32_t tempo = 50;
    EXPECT_EQ(outcome(memo_segnale(q, 6000, 2, 4, 1, 1, 0, 2, 2, 1, 1, tempo)),
              std::string("16: signal cell 121 already holds ") + what);
    EXPECT_EQ(q.codice_errore, 0);  // recorded by the caller
    EXPECT_EQ(q.celle[121].tipo, taken);
    EXPECT_EQ(q.celle[119].avviso, 0);  // nothing written
    EXPECT_EQ(tempo, 50);
  }
}

TEST_F(TrainPlacement, SignalNearTheOriginLeavesOutMarkersBeforeCellZero) {
  EXPECT_EQ(segnale(200, 1, 1), "");  // cell 5
  EXPECT_EQ(p.celle[5].tipo, 1);
  EXPECT_EQ(p.celle[3].avviso, 41);
  EXPECT_EQ(p.celle[1].avviso, 42);
  EXPECT_EQ(p.celle[0].avviso, 0);
  EXPECT_EQ(segnale(-50), "");  // cell 0: no marker at all
  EXPECT_EQ(p.celle[0].tipo, 1);
}

TEST_F(TrainPlacement, RestrictionWorkedExample) {
  p.celle[101].valore_2 = 9;
  EXPECT_EQ(outcome(memo_rallentamento(p, 5000, 60, 1000, 1, 1, 0)), "");
  EXPECT_EQ(p.celle[77].tipo, 4);
  EXPECT_EQ(p.celle[77].valore_1, 60);
  for (int c : {101, 121}) {
    EXPECT_EQ(p.celle[static_cast<size_t>(c)].valore_1, 60) << c;
    EXPECT_EQ(p.celle[static_cast<size_t>(c)].valore_3, 1) << c;
  }
  EXPECT_EQ(p.celle[101].tipo, 3);
  EXPECT_EQ(p.celle[121].tipo, 2);
  EXPECT_EQ(p.celle[101].valore_2, 9);  // d_v 0 keeps what was there
  for (int i = 0; i < 4; ++i) {
    const Cella& a = p.celle[static_cast<size_t>(76 - i)];
    EXPECT_EQ(a.tipo, 5);
    EXPECT_EQ(a.valore_1, i + 1);
    EXPECT_EQ(a.valore_2, 0);
  }
  EXPECT_EQ(p.celle[72].tipo, 0);
  EXPECT_EQ(p.codice_errore, 0);
}

TEST_F(TrainPlacement, RestrictionWithSpeedDifferenceWritesItEverywhere) {
  memo_rallentamento(p, 5000, 60, 1000, 1, 1, 3);
  EXPECT_EQ(p.celle[77].valore_2, 3);
  EXPECT_EQ(p.celle[101].valore_2, 3);
  EXPECT_EQ(p.celle[121].valore_2, 3);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p.celle[static_cast<size_t>(76 - i)].valore_2, i + 1);
}

TEST_F(TrainPlacement, RestrictionWarningCellOnlyBeyond1500) {
  memo_rallentamento(p, 1500, 80, 500, 0, 1, 0);  // no warning, f_ta ignored
  EXPECT_EQ(p.celle[31].tipo, 3);
  EXPECT_EQ(p.celle[41].tipo, 2);
  for (size_t c = 0; c < 31; ++c) EXPECT_EQ(p.celle[c].tipo, 0) << c;

  Percorso q;
  create_cells(q, 92000);
  memo_rallentamento(q, 1550, 80, 500, 0, 1, 0);
  EXPECT_EQ(q.celle[8].tipo, 4);
  for (int c = 7; c >= 4; --c) {
    EXPECT_EQ(q.celle[static_cast<size_t>(c)].tipo, 5) << c;
    EXPECT_EQ(q.celle[static_cast<size_t>(c)].valore_1, 8 - c) << c;
  }
  EXPECT_EQ(q.celle[3].tipo, 0);
  EXPECT_EQ(q.celle[32].tipo, 3);
  EXPECT_EQ(q.celle[42].tipo, 2);
}

TEST_F(TrainPlacement, VeryShortRestrictionLeavesOneStartCell) {
  memo_rallentamento(p, 5000, 60, 20, 1, 0, 0);
  EXPECT_EQ(p.celle[101].tipo, 3);  // the start overwrites the end
  EXPECT_EQ(p.celle[77].tipo, 4);
}

TEST_F(TrainPlacement, RestrictionTakenCellsInTheirOrder) {
  struct Case {
    std::vector<int> occupied;
    int32_t codice;
    std::string note;
  };
  // Warning 77, start 101, end 121, approach 76..73.
  const Case cases[] = {
      {{77, 101, 121, 74}, 17, "17: restriction warning cell 77 already holds a signal"},
      {{101, 121, 74}, 18, "18: restriction start cell 101 already holds a signal"},
      {{121, 74}, 19, "19: restriction end cell 121 already holds a signal"},
      {{74}, 20, "20: restriction approach cell 74 already holds a signal"},
  };
  for (const Case& c : cases) {
    Percorso q;
    create_cells(q, 92000);
    for (int i : c.occupied) q.celle[static_cast<size_t>(i)].tipo = tipo_cella::segnale;
    EXPECT_EQ(outcome(memo_rallentamento(q, 5000, 60, 1000, 1, 1, 0)), c.note);
    EXPECT_EQ(q.codice_errore, 0);        // recorded by the caller
    const bool written = c.codice == 20;  // only the approach fault comes after the writes
    EXPECT_EQ(q.celle[77].tipo, written ? 4 : (c.codice == 17 ? 1 : 0)) << c.codice;
    EXPECT_EQ(q.celle[101].tipo, written ? 3 : (c.codice <= 18 ? 1 : 0)) << c.codice;
    EXPECT_EQ(q.celle[121].tipo, written ? 2 : 1) << c.codice;
    EXPECT_EQ(q.celle[76].tipo, 0) << c.codice;
  }
  // A tunnel marker counts as free.
  Percorso q;
  create_cells(q, 92000);
  for (int i : {77, 101, 121, 74})
    q.celle[static_cast<size_t>(i)].tipo = tipo_cella::marca_galleria;
  EXPECT_EQ(outcome(memo_rallentamento(q, 5000, 60, 1000, 1, 1, 0)), "");
  EXPECT_EQ(q.celle[74].tipo, 5);
}

TEST_F(TrainPlacement, CellsOutsideTheArrayThrowInsteadOfWriting) {
  EXPECT_THROW(memo_rallentamento(p, 98000, 60, 5000, 0, 0, 0), std::out_of_range);
  EXPECT_THROW(memo_rallentamento(p, -500, 60, 100, 0, 0, 0), std::out_of_range);
  int32_t tempo = 0;
  EXPECT_THROW(memo_segnale(p, 99000, 2, 0, 0, 0, 0, 0, 0, 0, 0, tempo), std::out_of_range);
  EXPECT_EQ(p.codice_errore, 0);
}

TEST(CelleRallentamento, RoundsEachCell) {
  const CelleRallentamento c = celle_rallentamento(5025, 1050);
  EXPECT_EQ(c.avviso, 78);   // 77.5 rounds to even
  EXPECT_EQ(c.inizio, 102);  // 101.5
  EXPECT_EQ(c.fine, 122);    // 122.5
}

TEST_F(TrainPlacement, CabCodePoint) {
  const struct {
    int32_t posizione, valore;
    uint8_t first;  // the cell's type before
    const char* outcome;
    uint8_t tipo;
    int16_t valore_1;
  } cases[] = {
      {83400, 280, 0, "", tipo_cella::codice, 280},     // cell 1668, the position's own
      {83425, 70000, 0, "", tipo_cella::codice, 4464},  // cell 1668 (1668.5 to even), low 16 bits
      {83400, 0, 0, "", tipo_cella::codice_senza_velocita, 9},  // valore_1 left alone
      {83400, 280, tipo_cella::marca_galleria, "", tipo_cella::codice, 280},
      {83400, 280, tipo_cella::segnale, "7: cab-code cell 1668 already holds a signal",
       tipo_cella::segnale, 9},
  };
  for (const auto& c : cases) {
    Percorso q;
    create_cells(q, 92000);
    q.celle[1668].tipo = c.first;
    q.celle[1668].valore_1 = 9;
    EXPECT_EQ(outcome(set_cutoff(q, c.posizione, c.valore)), c.outcome) << c.posizione;
    EXPECT_EQ(q.celle[1668].tipo, c.tipo) << c.posizione;
    EXPECT_EQ(q.celle[1668].valore_1, c.valore_1) << c.posizione;
    EXPECT_EQ(q.codice_errore, 0);
  }
}

}  // namespace
}  // namespace sc
