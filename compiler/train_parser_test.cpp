#include "compiler/train_parser.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "compiler/celle_test_support.h"
#include "compiler/memorizza_percorso.h"

namespace sc {
namespace {

// A train description: "[generale]", the given lines, "[fine]", CR LF ends.
std::string file(std::initializer_list<std::string> rows) {
  std::string out = "[generale]\r\n";
  for (const std::string& r : rows) out += r + "\r\n";
  return out + "[fine]\r\n";
}

const std::string segnale_3500 = "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0";

std::string segnale_a(int pos) {
  return "segnale, " + std::to_string(pos) + ", 2, 4, 1, 1, 0, 2, 2, 1, 1, 0";
}

class TrainParser : public ::testing::Test {
 protected:
  void SetUp() override { create_cells(p, 92000); }  // cells 0 to 1980

  void parse(const std::string& text) {
    FieldReader r(text, "treno.txt");
    ReadState s{p, log, b};
    read_train(s, r);
  }

  // The parse must fail with a read failure; returns it.
  ParseFailure fails(const std::string& text) {
    try {
      parse(text);
    } catch (const ParseFailure& e) {
      return e;
    }
    ADD_FAILURE() << "no read failure";
    return ParseFailure("none", {});
  }

  const Fault& last() const { return log.all().back(); }
  int count(uint8_t tipo) const {
    int n = 0;
    for (const Cella& c : p.celle) n += c.tipo == tipo;
    return n;
  }

  Percorso p;
  FaultLog log;
  int32_t b = 68;
};

TEST_F(TrainParser, GeneralValuesGoToRecords84And86) {
  parse(file({"numero vetture,    12", "percentuale massa frenata,    130", "sabbia,    300",
              "orologio,    11              20            0 ", "frenata sola, 99"}));
  EXPECT_EQ(p.elementi[84].progressiva, 12);
  EXPECT_EQ(p.elementi[84].inizio, 130);  // "frenata" without "massa" did nothing
  EXPECT_EQ(p.elementi[86].dato_7, 300);
  EXPECT_EQ(p.elementi[86].dato_10, 11);
  EXPECT_EQ(p.elementi[86].dato_11, 20);
  EXPECT_EQ(p.elementi[86].dato_12, 0);
  EXPECT_EQ(p.codice_errore, 0);
  EXPECT_TRUE(log.empty());
}

TEST_F(TrainParser, FieldsBeforeGeneraleAreSkipped) {
  parse("sabbia, 300\r\nvelocita, 0, 100\r\n[GENERALE]\r\nnumero vetture, 12\r\n[fine]\r\n");
  EXPECT_EQ(p.elementi[86].dato_7, 0);
  EXPECT_EQ(p.elementi[84].progressiva, 12);
  EXPECT_EQ(p.celle[0].velocita, 0);
}

TEST_F(TrainParser, WithoutGeneraleOnlyTheEndFillsRun) {
  p.elementi[82].fine = 30;  // the reference check runs too
  parse("sabbia, 300\r\nvelocita, 0, 100\r\naderenza, 0, 90\r\n[fine]\r\n");
  EXPECT_EQ(p.elementi[86].dato_7, 0);
  EXPECT_EQ(p.celle[0].velocita, 0);
  EXPECT_EQ(p.codice_errore, 2);
}

TEST_F(TrainParser, LastFieldIsNeverExamined) {
  parse("[generale]\r\nsabbia, 300\r\nnumero vetture");  // would need a value
  EXPECT_EQ(p.elementi[86].dato_7, 300);
  EXPECT_EQ(p.codice_errore, 0);
  parse("[generale]\r\nsabbia, 200\r\nsabbia\r\n");
  EXPECT_EQ(p.elementi[86].dato_7, 200);
}

TEST_F(TrainParser, HyphenFieldsArePassedOverAtMostTwice) {
  struct Case {
    std::string rows;
    bool slot;
  };
  const Case cases[] = {
      {"-segnale, 3500, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0", false},        // the key is passed over
      {"- nota, segnale, 3500, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0", true},  // the next one is examined
      {"- nota, -altra, -segnale, 3500, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0", true},  // the third, too
      {"- nota, -segnale, 3500, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0", false},
  };
  for (const Case& c : cases) {
    Percorso q;
    create_cells(q, 92000);
    FieldReader r(file({c.rows}), "treno.txt");
    ReadState s{q, log, b};
    read_train(s, r);
    EXPECT_EQ(q.celle[71].tipo, c.slot ? 1 : 0) << c.rows;
    EXPECT_EQ(q.codice_errore, 0) << c.rows;
  }
}

TEST_F(TrainParser, KeysIgnoreCaseAndAccents) {
  parse(file({"VELOCITA, 0, 30", "velocit\xE0, 1000, 100", "VELOCIT\xC0, 2000, 250",
              "Aderenza, 0, 80", "SABBIA, 7"}));
  EXPECT_EQ(p.celle[0].velocita, 6);
  EXPECT_EQ(p.celle[19].velocita, 6);
  EXPECT_EQ(p.celle[20].velocita, 20);
  EXPECT_EQ(p.celle[39].velocita, 20);
  EXPECT_EQ(p.celle[40].velocita, 50);
  EXPECT_EQ(p.celle[0].aderenza, 80);
  EXPECT_EQ(p.elementi[86].dato_7, 7);
}

TEST_F(TrainParser, FieldWithTwoKeysRunsBothEntriesInTableOrder) {
  // The station key comes first in the field, but the signal test comes first.
  parse(
      file({"stazione e segnale, 3500, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0, "
            "10000, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, DOPPIA"}));
  EXPECT_EQ(p.celle[71].tipo, 1);
  EXPECT_EQ(p.elementi[1].progressiva, 10000);
  EXPECT_EQ(p.elementi[1].nome, "DOPPIA");
  EXPECT_EQ(p.celle[203].tipo, tipo_cella::fermata);  // ends at 10200
  EXPECT_EQ(p.codice_errore, 0);
}

TEST_F(TrainParser, SpeedProfile) {
  parse(file({"velocita,   0,    30", "velocita,    1500,   250", "velocita, 1000, 100"}));
  EXPECT_EQ(p.celle[0].velocita, 6);
  EXPECT_EQ(p.celle[29].velocita, 6);
  // The third entry is behind the fill index: it still writes the one cell
  // at the index, with the speed in force, and moves it on by one.
  EXPECT_EQ(p.celle[30].velocita, 50);
  EXPECT_EQ(p.celle[31].velocita, 20);
  EXPECT_EQ(p.celle[1977].velocita, 20);  // end fill up to U - 3
  EXPECT_EQ(p.celle[1978].velocita, 0);
  EXPECT_EQ(p.celle[1980].velocita, 0);
}

TEST_F(TrainParser, SpeedFifthsRoundToNearest) {
  parse(file({"velocita, 0, 13", "velocita, 100, 12", "velocita, 200, 0"}));
  EXPECT_EQ(p.celle[0].velocita, 3);  // 2.6
  EXPECT_EQ(p.celle[1].velocita, 3);
  EXPECT_EQ(p.celle[2].velocita, 2);  // 2.4
  EXPECT_EQ(p.celle[3].velocita, 2);
  EXPECT_EQ(p.celle[4].velocita, 0);
}

TEST_F(TrainParser, ProfilesStartAtZeroAndAdhesionKeepsTheLow8Bits) {
  parse(file({"velocita, 1000, 100", "aderenza, 1000, 300"}));
  EXPECT_EQ(p.celle[19].velocita, 0);
  EXPECT_EQ(p.celle[19].aderenza, 0);
  EXPECT_EQ(p.celle[20].velocita, 20);
  EXPECT_EQ(p.celle[20].aderenza, 44);  // 300 - 256
  EXPECT_EQ(p.celle[1977].aderenza, 44);
  EXPECT_EQ(p.celle[1978].aderenza, 0);
}

TEST_F(TrainParser, FillsStopAtTheLastCell) {
  // Entries behind the fill index push it by one cell each, up to U.
  for (const char* key : {"velocita", "aderenza"}) {
    Percorso q;
    create_cells(q, 92000);
    const std::string k(key);
    FieldReader r(file({k + ", 98900, 5", k + ", 50, 10", k + ", 50, 15", k + ", 50, 20",
                        k + ", 50, 25", k + ", 50, 30"}),
                  "treno.txt");
    ReadState s{q, log, b};
    read_train(s, r);
    auto valore = [&](size_t i) {
      return k == "velocita" ? q.celle[i].velocita : q.celle[i].aderenza;
    };
    const bool vel = k == "velocita";
    EXPECT_EQ(valore(1977), 0) << k;
    EXPECT_EQ(valore(1978), vel ? 1 : 5) << k;
    EXPECT_EQ(valore(1979), vel ? 2 : 10) << k;
    EXPECT_EQ(valore(1980), vel ? 6 : 30) << k;  // by the end fill only
    EXPECT_EQ(q.codice_errore, 0) << k;
  }
}

TEST_F(TrainParser, SpeedWhoseFifthDoesNotFitIsAReadFailure) {
  parse(file({"velocita, 0, 1277"}));  // 255.4
  EXPECT_EQ(p.celle[0].velocita, 255);
  const ParseFailure e = fails(file({"velocita, 0, 1278", "sabbia, 1"}));
  EXPECT_STREQ(e.what(), "speed 1278 km/h gives the speed byte 256, outside 0..255");
  EXPECT_EQ(e.where().line, 2);
  EXPECT_EQ(e.where().column, 14);
  EXPECT_EQ(fails(file({"velocita, 0, -10"})).where().column, 14);
}

// Every entry with a position: accepted at 98900, refused at 98901 (margin
// 100); stations at 98200 and 98250 (margin 800).
TEST_F(TrainParser, RangeCheckGoesToTheNormalEnd) {
  struct Case {
    std::string first, after;  // the entry is prima + position + dopo
    int32_t good, bad;
  };
  const Case cases[] = {
      {"velocita, ", ", 100", 98900, 98901},
      {"aderenza, ", ", 100", 98900, 98901},
      {"segnale, ", ", 2, 4, 1, 1, 0, 2, 2, 1, 1, 0", 98900, 98901},
      {"rallentamento, ", ", 60, 0, 1, 1, 0", 98900, 98901},
      {"abbattimento, ", ", 280", 98900, 98901},
      {"stazione, ", ", 30, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, X", 98200, 98250},
  };
  for (const Case& c : cases) {
    Percorso q;
    create_cells(q, 92000);
    FaultLog l;
    const auto read_q = [&](int32_t pos) {
      FieldReader r(
          file({"velocita, 0, 100", c.first + std::to_string(pos) + c.after, "sabbia, 300"}),
          "treno.txt");
      ReadState s{q, l, b};
      read_train(s, r);
    };
    read_q(c.good);
    EXPECT_EQ(q.codice_errore, 0) << c.first;
    EXPECT_EQ(q.elementi[86].dato_7, 300) << c.first;

    q = Percorso{};
    create_cells(q, 92000);
    read_q(c.bad);
    EXPECT_EQ(q.codice_errore, 15) << c.first;
    EXPECT_EQ(q.posizione_errore, c.bad) << c.first;
    EXPECT_EQ(q.elementi[86].dato_7, 0) << c.first;    // the parse ended there
    EXPECT_EQ(q.celle[1977].velocita, 20) << c.first;  // but the end fill ran
    ASSERT_FALSE(l.empty());
    EXPECT_EQ(l.all().back().where->line, 3) << c.first;
    EXPECT_EQ(l.all().back().where->column, static_cast<int>(c.first.size()) + 1) << c.first;
  }
}

TEST_F(TrainParser, RangeFaultMessage) {
  parse(file({"segnale, 98901, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0"}));
  EXPECT_EQ(last().message,
            "signal at 98901 m lies beyond the last position the line allows, 98900 m");
  EXPECT_EQ(last().posizione, 98901);
}

// Entries near the line's origin do what their rule says; only an entry
// that would mark a cell outside 0..U is refused, with fault 15, and writes
// nothing. Each case is compared, cell by cell as the cells file holds them,
// with the same file without its first entry, changed as the case expects.
TEST_F(TrainParser, EntriesNearTheOriginMarkOnlyCellsThatExist) {
  const auto none = [](Percorso&) {};
  const auto segnale_in = [](int cella) {
    return [cella](Percorso& q) {
      Cella& c = q.celle[static_cast<size_t>(cella)];
      c.tipo = tipo_cella::segnale;
      c.valore_1 = 42, c.valore_2 = 11, c.valore_3 = 11, c.valore_4 = 8;
    };
  };
  const struct {
    std::vector<std::string> rows;
    int32_t posizione;                       // of fault 15; 0: accepted
    std::function<void(Percorso&)> changes;  // applied to the file without the first entry
    Compilation::Result status;              // of the compile that follows
  } cases[] = {
      {{"velocita, -40, 100", "velocita, 1000, 60"},
       0,
       [](Percorso& q) {
         for (int i = 0; i < 20; ++i) q.celle[i].velocita = 20;
       },
       Compilation::Result::pronto},
      {{"velocita, -30, 100", "velocita, 1000, 60"},
       0,
       [](Percorso& q) {
         for (int i = 0; i < 20; ++i) q.celle[i].velocita = 20;
       },
       Compilation::Result::pronto},
      {{"velocita, -25, 100", "velocita, 1000, 60"},
       0,
       [](Percorso& q) {
         for (int i = 0; i < 20; ++i) q.celle[i].velocita = 20;
       },
       Compilation::Result::pronto},
      {{"aderenza, -40, 90", "aderenza, 1000, 100"},
       0,
       [](Percorso& q) {
         for (int i = 0; i < 20; ++i) q.celle[i].aderenza = 90;
       },
       Compilation::Result::pronto},
      {{segnale_a(-75)}, 0, segnale_in(0), Compilation::Result::pronto},       // no marker cell
      {{segnale_a(-24)}, 0, segnale_in(1), Compilation::Result::errore_1250},  // cell 1 taken
      {{segnale_a(75)},
       0,  // one marker cell, 0
       [&](Percorso& q) {
         segnale_in(2)(q);
         q.celle[0].avviso = 81;
       },
       Compilation::Result::pronto},
      {{"abbattimento, -25, 280"},
       0,
       [](Percorso& q) {
         q.celle[0].tipo = tipo_cella::codice;
         q.celle[0].valore_1 = 280;
       },
       Compilation::Result::pronto},
      {{"rallentamento, -50, 60, 200, 1, 1, 0"},
       0,  // no warning cell; start 0, end 4
       [](Percorso& q) {
         q.celle[0].tipo = tipo_cella::inizio_rallentamento;
         q.celle[4].tipo = tipo_cella::fine_rallentamento;
         for (int i : {0, 4}) q.celle[i].valore_1 = 60, q.celle[i].valore_3 = 1;
       },
       Compilation::Result::pronto},
      {{"abbattimento, -30, 280"}, -30, none, Compilation::Result::pronto},
      {{segnale_a(-100)}, -100, none, Compilation::Result::pronto},
      {{"rallentamento, -200, 60, 100, 1, 1, 0"}, -200, none, Compilation::Result::pronto},
      {{"rallentamento, 100, 60, -400, 1, 1, 0"}, 100, none, Compilation::Result::pronto},
      {{"rallentamento, 98000, 60, 5000, 1, 1, 0"}, 98000, none, Compilation::Result::pronto},
      {{"rallentamento, 98000, 60, 1000, 1, 1, 0"}, 98000, none, Compilation::Result::pronto},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rows[0]);
    const auto compile = [&](const std::vector<std::string>& rows) {
      Percorso q;
      create_cells(q, 92000);
      q.posizione_errore = 1;
      std::string text = "[generale]\r\n";
      for (const std::string& r : rows) text += r + "\r\n";
      FieldReader r(text + "[fine]\r\n", "treno.txt");
      ReadState s{q, log, b};
      read_train(s, r);
      return q;
    };
    Percorso q = compile(c.rows);
    Percorso senza = compile({c.rows.begin() + 1, c.rows.end()});
    EXPECT_EQ(q.codice_errore, c.posizione ? 15 : 0);
    EXPECT_EQ(q.posizione_errore, c.posizione ? c.posizione : 1);
    c.changes(senza);
    EXPECT_EQ(test::cells_difference(q.celle, senza.celle), "");
    FaultLog other;
    EXPECT_EQ(complete_compilation(q, other).status, c.status);
  }
}

TEST_F(TrainParser, CellsBeforeCellZeroAreNamedInTheFault) {
  const struct {
    std::string entry, message;
  } cases[] = {
      {"abbattimento, -30, 280",
       "cab-code point at -30 m would mark cell -1, before the first cell"},
      {segnale_a(-100), "signal at -100 m would mark cell -1, before the first cell"},
  };
  for (const auto& c : cases) {
    parse(file({c.entry}));
    EXPECT_EQ(last().message, c.message);
  }
}

TEST_F(TrainParser, RestrictionCellsOutsideTheLineMessage) {
  parse(file({"rallentamento, 98000, 60, 5000, 1, 1, 0"}));
  EXPECT_EQ(last().message,
            "restriction at 98000 m, 5000 m long, would mark its end cell 2061, beyond the last "
            "cell 1980");
  parse(file({"rallentamento, -200, 60, 100, 1, 1, 0"}));
  EXPECT_EQ(
      last().message,
      "restriction at -200 m, 100 m long, would mark its start cell -3, before the first cell");
}

TEST_F(TrainParser, SignalsAndRestrictionsArePlaced) {
  parse(file({segnale_3500, "rallentamento, 5000, 60, 1000, 1, 1, 0"}));
  EXPECT_EQ(p.celle[71].tipo, 1);
  EXPECT_EQ(p.celle[71].valore_1, 42);
  EXPECT_EQ(p.celle[63].avviso, 84);
  EXPECT_EQ(p.celle[77].tipo, 4);
  EXPECT_EQ(p.celle[101].tipo, 3);
  EXPECT_EQ(p.celle[121].tipo, 2);
  EXPECT_EQ(p.celle[73].tipo, 5);
  EXPECT_EQ(p.codice_errore, 0);
}

TEST_F(TrainParser, PlacementFaultsEndTheParseAtTheEntryPosition) {
  struct Case {
    int32_t occupant;  // a signal placed first at this position
    std::string entry;
    int32_t codice, posizione;
    std::string message;
  };
  const Case cases[] = {
      {3500, segnale_a(3500), 16, 3500, "signal cell 71 already holds a signal"},
      {3800, "rallentamento, 5000, 60, 1000, 1, 1, 0", 17, 5000,
       "restriction warning cell 77 already holds a signal"},
      {5000, "rallentamento, 5000, 60, 1000, 1, 1, 0", 18, 5000,
       "restriction start cell 101 already holds a signal"},
      {6000, "rallentamento, 5000, 60, 1000, 1, 1, 0", 19, 5000,
       "restriction end cell 121 already holds a signal"},
      {3650, "rallentamento, 5000, 60, 1000, 1, 1, 0", 20, 5000,
       "restriction approach cell 74 already holds a signal"},
  };
  for (const Case& c : cases) {
    Percorso q;
    create_cells(q, 92000);
    FaultLog l;
    FieldReader r(file({"velocita, 0, 100", segnale_a(c.occupant), c.entry, "sabbia, 300"}),
                  "treno.txt");
    ReadState s{q, l, b};
    read_train(s, r);
    EXPECT_EQ(q.codice_errore, c.codice) << c.entry;
    EXPECT_EQ(q.posizione_errore, c.posizione) << c.entry;
    EXPECT_EQ(q.elementi[86].dato_7, 0) << c.entry;  // nothing after it was read
    EXPECT_EQ(q.celle[0].velocita, 0) << c.entry;    // and no end fill ran
    ASSERT_EQ(l.all().size(), 1u);
    EXPECT_EQ(l.all()[0].message, c.message);
    EXPECT_EQ(l.all()[0].where->line, 4);
    EXPECT_EQ(l.all()[0].where->text, c.entry);
  }
}

TEST_F(TrainParser, RangeFaultOfTheLineHalfEndsTheParseAtTheFirstSignal) {
  for (const std::string& entry :
       {segnale_3500, std::string("rallentamento, 3500, 60, 500, 0, 0, 0")}) {
    Percorso q;
    create_cells(q, 92000);
    FaultLog l;
    q.codice_errore = 15;  // left by the line half
    q.posizione_errore = 98901;
    FieldReader r(file({"velocita, 0, 100", "abbattimento, 1000, 80", entry, segnale_a(7500)}),
                  "treno.txt");
    ReadState s{q, l, b};
    read_train(s, r);
    EXPECT_EQ(q.codice_errore, 15) << entry;
    EXPECT_EQ(q.posizione_errore, 3500) << entry;
    EXPECT_EQ(q.celle[20].tipo, tipo_cella::codice) << entry;  // before it: read as usual
    EXPECT_EQ(q.celle[71].tipo, entry == segnale_3500 ? 1 : 3) << entry;  // it is placed
    EXPECT_EQ(q.celle[151].tipo, 0) << entry;                             // the next is not
    EXPECT_EQ(q.celle[0].velocita, 0) << entry;
    ASSERT_EQ(l.all().size(), 1u);
    EXPECT_EQ(l.all()[0].message,
              std::string(entry == segnale_3500 ? "signal" : "restriction") +
                  " placed, but fault 15 left by the line description ends the parse here");
  }
}

TEST_F(TrainParser, CabCodes) {
  p.celle[1698].valore_1 = 5;
  p.celle[40].tipo = tipo_cella::marca_galleria;
  parse(file({"abbattimento,   83400,   280", "abbattimento,   84900,   0",
              "abbattimento, 2000, 70000", "abbattimento, 3000, -7"}));
  EXPECT_EQ(p.celle[1668].tipo, tipo_cella::codice);
  EXPECT_EQ(p.celle[1668].valore_1, 280);
  EXPECT_EQ(p.celle[1698].tipo, tipo_cella::codice_senza_velocita);
  EXPECT_EQ(p.celle[1698].valore_1, 5);             // left alone
  EXPECT_EQ(p.celle[40].tipo, tipo_cella::codice);  // replaces a tunnel marker
  EXPECT_EQ(p.celle[40].valore_1, 70000 - 65536);
  EXPECT_EQ(p.celle[60].tipo, tipo_cella::codice_senza_velocita);
  EXPECT_EQ(p.codice_errore, 0);
}

TEST_F(TrainParser, CabCodeOnATakenCellFaults7) {
  // The signal at 3500 is in cell 71; a cab code at 3550 uses cell 71 itself.
  parse(file({segnale_3500, "abbattimento, 3500, 100", "abbattimento, 3550, 100", "sabbia, 3"}));
  EXPECT_EQ(p.celle[70].tipo, tipo_cella::codice);
  EXPECT_EQ(p.celle[71].tipo, tipo_cella::segnale);
  EXPECT_EQ(p.codice_errore, 7);
  EXPECT_EQ(p.posizione_errore, 3550);
  EXPECT_EQ(p.elementi[86].dato_7, 0);
  EXPECT_EQ(last().message, "cab-code cell 71 already holds a signal");
  EXPECT_EQ(last().where->line, 4);
  EXPECT_EQ(last().where->column, 15);
}

TEST_F(TrainParser, StationValuesAreReadAtTheirWidths) {
  parse(file(
      {"stazione,       0,  8,  700,  0, 0, 0,  1,1,0,  4,1,1,    1,   0, 0, 0, CORVALE CENTRALE",
       "stazione, 10000, 12, 800, 4, 5, 6, -7, 8, 9, 10, 11, 12, 13, 11, 50, 7, PRAVENA S.M.N"}));
  const Elemento& r = p.elementi[2];
  EXPECT_EQ(r.tipo, 12);
  EXPECT_EQ(r.progressiva, 10000);
  EXPECT_EQ(r.inizio, 9600);
  EXPECT_EQ(r.fine, 10450);  // dato_6 set: 50 m further
  EXPECT_EQ(r.dato_4, 4);
  EXPECT_EQ(r.dato_5, 5);
  EXPECT_EQ(r.dato_6, 6);
  EXPECT_EQ(r.dato_7, -7);
  EXPECT_EQ(r.dato_8, 8);
  EXPECT_EQ(r.dato_9, 9);
  EXPECT_EQ(r.dato_10, 10);
  EXPECT_EQ(r.dato_11, 11);
  EXPECT_EQ(r.dato_12, 12);
  EXPECT_EQ(r.dato_13, 13);
  EXPECT_EQ(r.orario, (11 * 60 + 50) * 60 + 7);
  EXPECT_EQ(r.nome, "PRAVENA S.M.N");
  EXPECT_EQ(p.elementi[1].nome, "CORVALE CENTRALE");
  EXPECT_EQ(p.elementi[1].inizio, -700);
  EXPECT_EQ(p.celle[13].tipo, tipo_cella::fermata);
  EXPECT_EQ(p.celle[208].valore_1, 2);
  EXPECT_EQ(p.codice_errore, 0);
}

TEST_F(TrainParser, StationFaults) {
  const std::string first = "stazione, 10000, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, A";
  struct Case {
    std::vector<std::string> rows;
    int32_t b;
    int32_t codice;
    int32_t posizione;  // 777: unchanged
    int riga, column;   // of the field at fault
    std::string message;
  };
  const Case cases[] = {
      {{"stazione, 1025, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, A"},
       68,
       8,
       1025,
       3,
       11,
       "station position 1025 is not a multiple of 50"},
      // Fault 8 comes before the rest of the entry is read: no read failure.
      {{"stazione, 1025, 256"},
       68,
       8,
       1025,
       3,
       11,
       "station position 1025 is not a multiple of 50"},
      {{"stazione, 1000, 12, 750, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, A"},
       68,
       9,
       1000,
       3,
       21,
       "station length 750 is not a multiple of 100"},
      {{"stazione, 0, 8, 100, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, A"},
       68,
       24,
       777,
       3,
       11,
       "station ends at 100 m, 100 m or less: its stop cell would be cell 1"},
      {{first, "stazione, 10700, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, B"},
       68,
       22,
       10700,
       4,
       11,
       "station starts at 10500 m, 300 m after the previous one ends at 10200 m; it must start 350 "
       "m or more after it"},
      {{first, "stazione, 20000, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, B"},
       3,
       10,
       777,
       4,
       1,
       "no station record left below the indication-board texts (next record 3, first board "
       "record 3)"},
  };
  for (const Case& c : cases) {
    Percorso q;
    create_cells(q, 92000);
    FaultLog l;
    q.posizione_errore = 777;
    std::string text = "[generale]\r\nvelocita, 0, 100\r\n";
    for (const std::string& r : c.rows) text += r + "\r\n";
    text += "sabbia, 300\r\n[fine]\r\n";
    FieldReader r(text, "treno.txt");
    ReadState s{q, l, c.b};
    read_train(s, r);
    const std::string& entry = c.rows.back();
    EXPECT_EQ(q.codice_errore, c.codice) << entry;
    EXPECT_EQ(q.posizione_errore, c.posizione) << entry;
    EXPECT_EQ(q.elementi[86].dato_7, 0) << entry;
    EXPECT_EQ(q.celle[0].velocita, 0) << entry;  // no end fill
    ASSERT_EQ(l.all().size(), 1u) << entry;
    EXPECT_EQ(l.all()[0].message, c.message);
    EXPECT_EQ(l.all()[0].where->line, c.riga) << entry;
    EXPECT_EQ(l.all()[0].where->column, c.column) << entry;
  }
}

TEST_F(TrainParser, FirstStationNeverOverwritesABoardText) {
  b = 1;  // 79 boards: record 1 holds a board text
  p.elementi[1].nome = "(CARTELLO)";
  parse(file({"stazione, 10000, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, A"}));
  EXPECT_EQ(p.codice_errore, 10);
  EXPECT_EQ(p.elementi[1].nome, "(CARTELLO)");
  EXPECT_EQ(p.elementi[1].progressiva, 0);
  EXPECT_EQ(p.celle[203].tipo, 0);
}

TEST_F(TrainParser, StationBeyondTheLastCellIsARangeFault) {
  p.posizione_errore = 1;
  parse(
      file({"velocita, 0, 100",
            "stazione, 98100, 8, 1000, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, X", "sabbia, 300"}));
  EXPECT_EQ(p.codice_errore, 15);
  EXPECT_EQ(p.posizione_errore, 98100);
  EXPECT_EQ(last().message, "station stop cell 1981 lies beyond the last cell 1980");
  EXPECT_EQ(last().where->column, 11);
  EXPECT_EQ(p.elementi[1].fine, 99100);
  EXPECT_EQ(p.elementi[86].dato_7, 0);
  EXPECT_EQ(p.celle[1977].velocita, 20);  // normal end
  for (const Cella& c : p.celle) ASSERT_EQ(c.tipo + c.avviso, 0);
}

TEST_F(TrainParser, KilometreReferenceCheckOverwritesARangeFaultButNotItsPosition) {
  p.elementi[82].fine = 1025;
  parse(file({"velocita, 99000, 100"}));
  EXPECT_EQ(p.codice_errore, 2);
  EXPECT_EQ(p.posizione_errore, 99000);
  ASSERT_EQ(log.all().size(), 2u);
  EXPECT_EQ(log.all()[0].codice, 15);
  EXPECT_EQ(log.all()[1].codice, 2);
  EXPECT_EQ(
      log.all()[1].message,
      "kilometre reference \"progressiva chilometrica due\" of the line description has fine 1025, "
      "not a multiple of 50");
  EXPECT_FALSE(log.all()[1].where.has_value());
  EXPECT_FALSE(log.all()[1].posizione.has_value());

  Percorso q;
  create_cells(q, 92000);
  q.elementi[81].inizio = -60;
  FaultLog l;
  FieldReader r(file({}), "treno.txt");
  ReadState s{q, l, b};
  read_train(s, r);
  EXPECT_EQ(q.codice_errore, 2);
  EXPECT_EQ(l.all().back().message,
            "kilometre reference \"progressiva chilometrica tre\" of the line description has "
            "inizio -60, "
            "not a multiple of 50");
}

TEST_F(TrainParser, ReadFailures) {
  struct Case {
    std::string text;
    int riga, column;
    std::string message;
  };
  const Case cases[] = {
      {file({"stazione, 10000, 12, 400, 256, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, A"}), 2, 27,
       "value 256 does not fit in 0..255"},
      // Where the end of the file points is the reader's business.
      {"[generale]\r\nsegnale, 3500, 2, 4, 1, 1, 0, 2\r\n", 0, 0,
       "expected a whole number, got the end of the file"},
      {file({"sabbia, 40000"}), 2, 9, "value 40000 does not fit in -32768..32767"},
      {file({"stazione, 10000, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 1000000, 0, 0, A"}), 2, 57,
       "station time 3600000000 s does not fit in 32 bits"},
  };
  for (const Case& c : cases) {
    const ParseFailure e = fails(c.text);
    EXPECT_EQ(std::string(e.what()), c.message) << c.text;
    if (c.riga == 0) continue;
    EXPECT_EQ(e.where().line, c.riga) << c.text;
    EXPECT_EQ(e.where().column, c.column) << c.text;
  }
}

TEST_F(TrainParser, WithoutCellsTheEndFillIsARunFailure) {
  p.celle.clear();
  const ParseFailure e = fails(file({"sabbia, 3"}));
  EXPECT_STREQ(e.what(), "no cells: the line description gave no line length");
}

}  // namespace
}  // namespace sc
