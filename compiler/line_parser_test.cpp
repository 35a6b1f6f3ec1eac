#include "compiler/line_parser.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compiler/celle_test_support.h"
#include "compiler/mark_and_encode.h"
#include "compiler/tracciato_piano.h"

namespace sc {
namespace {

constexpr int32_t position_before = -7;  // posizione_errore before the parse

std::string lines(const std::vector<std::string>& rows) {
  std::string out;
  for (const std::string& r : rows) out += r + "\r\n";
  return out;
}

// A file with a 92000 m line (U = 1980, plan rows 0 to 99000), the given
// element entries and the closing "[fine]".
std::string con_elementi(std::vector<std::string> rows) {
  rows.insert(rows.begin(), {"[generale]", "lunghezza percorso,    92000", "[curve]"});
  rows.push_back("[fine]");
  return lines(rows);
}

struct Reading {
  Percorso p;
  FaultLog log;
  int32_t indice_cartelli = 0;
  std::optional<LineOutcome> outcome;
  std::optional<ParseFailure> failure;
};

Reading parse(const std::string& text, int32_t modo = 1) {
  Reading l;
  l.p.modo = modo;
  l.p.posizione_errore = position_before;
  ReadState s{l.p, l.log};
  FieldReader r(text, "linea.txt");
  try {
    l.outcome = read_line(s, r);
  } catch (const ParseFailure& e) {
    l.failure = e;
  }
  l.indice_cartelli = s.indice_cartelli;
  return l;
}

std::string field(const SourceLocation& w) {
  if (w.column < 1) return "";
  return w.text.substr(static_cast<size_t>(w.column) - 1, static_cast<size_t>(w.width));
}

TEST(LineParser, FaultsWithTheirPositionsFieldsAndOutcomes) {
  const std::string gen = "[generale]";
  const struct {
    const char* test_case;
    std::string text;
    int32_t codice;
    int32_t posizione;  // position_before: left as it was
    LineOutcome outcome;
    int riga;           // line of the field at fault
    const char* field;  // the field at fault
    const char* message;
  } cases[] = {
      {"no [generale] at all", lines({"lunghezza percorso, 92000", "[fine]"}), 102, position_before,
       LineOutcome::fine, 2, "[fine]", "no field containing \"[generale]\""},
      {"[generale] only as the last field", lines({"x, 1", gen}), 102, position_before,
       LineOutcome::fine, 2, "[generale]", "[generale]"},
      {"line length above 1000000", lines({gen, "lunghezza percorso,  1000001", "[fine]"}), 1,
       position_before, LineOutcome::fine, 2, "1000001", "line length 1000001 is above 1000000"},
      {"line length below 0", lines({gen, "lunghezza percorso,  -1", "[fine]"}), 1, position_before,
       LineOutcome::fine, 2, "-1", "line length -1 is below 0"},
      {"first ripetizione value",
       lines({gen, "ripetizione segnali 9 codici, 1025, 80000", "[fine]"}), 3, position_before,
       LineOutcome::fine, 2, "1025", "first ripetizione value 1025"},
      {"second ripetizione value",
       lines({gen, "ripetizione segnali 9 codici, 1000, 80010", "[fine]"}), 4, position_before,
       LineOutcome::fine, 2, "80010", "second ripetizione value 80010"},
      {"first ripetizione value is checked first",
       lines({gen, "ripetizione segnali codici, 1025, 80010", "[fine]"}), 3, position_before,
       LineOutcome::fine, 2, "1025", "1025"},
      {"ripetizione key without 4 or 9",
       lines({gen, "ripetizione segnali codici, 1000, 80000", "[fine]"}), 5, position_before,
       LineOutcome::fine, 2, "ripetizione segnali codici", "neither 4 nor 9"},
      {"general section without line length",
       lines({gen, "sfondo uno, 0", "[curve]", "pendenza, 1000, 1", "[fine]"}), 104,
       position_before, LineOutcome::fine, 3, "[curve]", "no \"lunghezza percorso\""},
      {"gradient beyond the bound", con_elementi({"pendenza,  98901,   1"}), 15, 98901,
       LineOutcome::continua, 4, "98901",
       "gradient at 98901 m lies beyond the last position the line allows, 98900 m"},
      {"curve beyond the bound", con_elementi({"curvad1, 98950, 10"}), 15, 98950,
       LineOutcome::continua, 4, "98950", "curve at 98950 m"},
      {"tunnel beyond the bound", con_elementi({"montagna, 99000, 99010, 2"}), 15, 99000,
       LineOutcome::continua, 4, "99000", "tunnel at 99000 m"},
      {"tunnel marking a cell before cell 0", con_elementi({"montagna, -100, 1000, 2"}), 15, -100,
       LineOutcome::continua, 4, "-100",
       "tunnel from -100 m would mark cell -2, before the first cell"},
      {"tunnel marking cells beyond U", con_elementi({"montagna, 98000, 99100, 11"}), 15, 98000,
       LineOutcome::continua, 4, "99100", "covers cells 1960..1981, beyond the last cell 1980"},
      {"speed-indicator board beyond the bound",
       con_elementi({"indicatori_vmax, 98901, 80, 90, 100, 2, 80, 90, 100, 2"}), 15, 98901,
       LineOutcome::continua, 4, "98901", "speed-indicator board at 98901 m"},
      {"indication board beyond the bound", con_elementi({"cartello_indicatore, 99000, (X)"}), 15,
       99000, LineOutcome::continua, 4, "99000", "indication board at 99000 m"},
      {"curve key without class", con_elementi({"curvad7, 2000, 100"}), 103, position_before,
       LineOutcome::fine, 4, "curvad7", "curve key \"curvad7\" holds no class digit 1 to 6"},
      {"curve running past the plan", con_elementi({"curvad1, 98000, 1001"}), 103, position_before,
       LineOutcome::fine, 4, "1001", "curve ends at 99001 m, beyond the last track plan row 99000"},
      {"speed-indicator board on a taken cell",
       con_elementi({"indicatori_vmax, 2000, 80, 90, 100, 2, 80, 90, 100, 2",
                     "indicatori_vmax, 2010, 80, 90, 100, 2, 80, 90, 100, 2"}),
       21, 2010, LineOutcome::fine, 5, "2010", "cell 41 already holds a speed-indicator board"},
      {"speed-indicator board on an indication board",
       con_elementi({"cartello_indicatore, 2000, (A)",
                     "indicatori_vmax, 2000, 80, 90, 100, 2, 80, 90, 100, 2"}),
       21, 2000, LineOutcome::fine, 5, "2000", "already holds an indication board"},
      {"indication board on a taken cell",
       con_elementi({"cartello_indicatore, 4400, (A)", "cartello_indicatore, 4400, (B)"}), 6, 4400,
       LineOutcome::fine, 5, "4400", "indication board cell 89 already holds an indication board"},
      {"indication boards at 4425 and 4475 share cell 90",
       con_elementi({"cartello_indicatore, 4425, (A)", "cartello_indicatore, 4475, (B)"}), 6, 4475,
       LineOutcome::fine, 5, "4475", "cell 90"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    const Reading l = parse(c.text);
    ASSERT_FALSE(l.failure.has_value()) << l.failure->what();
    EXPECT_EQ(l.outcome, c.outcome);
    EXPECT_EQ(l.p.codice_errore, c.codice);
    EXPECT_EQ(l.p.posizione_errore, c.posizione);
    ASSERT_EQ(l.log.all().size(), 1u);
    const Fault& f = l.log.all()[0];
    EXPECT_EQ(f.codice, c.codice);
    ASSERT_TRUE(f.where.has_value());
    EXPECT_EQ(f.where->file, "linea.txt");
    EXPECT_EQ(f.where->line, c.riga);
    EXPECT_EQ(field(*f.where), c.field);
    EXPECT_NE(f.message.find(c.message), std::string::npos) << f.message;
  }
}

// Entries near the line's origin do what their rule says; only an entry
// that would mark a cell before cell 0 is refused, with fault 15. Each case
// is compared, cell by cell as the cells file holds them, with the same file
// without its first entry, changed as the case expects.
TEST(LineParser, EntriesNearTheOriginMarkOnlyCellsThatExist) {
  const auto none = [](Percorso&) {};
  const struct {
    const char* test_case;
    std::vector<std::string> rows;
    int32_t codice;  // 0: accepted
    const char* message;
    std::function<void(Percorso&)> changes;  // applied to the file without the first entry
    Compilation::Result status;              // of the compile that follows
  } cases[] = {
      {"gradient at -84: no cell, the gradient in force changes",
       {"pendenza, -84, 5", "pendenza, 1000, 1"},
       0,
       "",
       [](Percorso& p) {
         for (int i = 0; i < 20; ++i) p.celle[i].pendenza = 105;
       },
       Compilation::Result::pronto},
      {"gradient at -180",
       {"pendenza, -180, -7", "pendenza, 1000, 1"},
       0,
       "",
       [](Percorso& p) {
         for (int i = 0; i < 20; ++i) p.celle[i].pendenza = 93;
       },
       Compilation::Result::pronto},
      {"speed-indicator board at -75 goes to cell 0",
       {"indicatori_vmax, -75, 80, 90, 100, 2, 80, 90, 100, 2"},
       0,
       "",
       [](Percorso& p) {
         Cella& c = p.celle[0];
         c.tipo = tipo_cella::indicatori_v_max;
         c.valore_1 = 1616, c.valore_2 = 1818, c.valore_3 = 2020, c.valore_4 = 22;
       },
       Compilation::Result::pronto},
      {"speed-indicator board at -24 goes to cell 1, where the mark step finds it",
       {"indicatori_vmax, -24, 80, 90, 100, 2, 80, 90, 100, 2"},
       0,
       "",
       [](Percorso& p) {
         Cella& c = p.celle[1];
         c.tipo = tipo_cella::indicatori_v_max;
         c.valore_1 = 1616, c.valore_2 = 1818, c.valore_3 = 2020, c.valore_4 = 22;
       },
       Compilation::Result::errore_1250},
      {"indication board at -75 goes to cell 0",
       {"cartello_indicatore, -75, (A)"},
       0,
       "",
       [](Percorso& p) {
         p.celle[0].tipo = tipo_cella::cartello_indicatore;
         p.celle[0].valore_1 = 80;
       },
       Compilation::Result::pronto},
      {"tunnel from -25: its first cell rounds to 0",
       {"montagna, -25, 1000, 2"},
       0,
       "",
       [](Percorso& p) {
         for (int i = 0; i < 20; ++i) p.celle[i].galleria = 2;
       },
       Compilation::Result::pronto},
      {"tunnel from -40 would mark cell -1",
       {"montagna, -40, 1000, 2"},
       15,
       "tunnel from -40 m would mark cell -1, before the first cell",
       none,
       Compilation::Result::pronto},
      {"speed-indicator board at -80 would mark cell -1",
       {"indicatori_vmax, -80, 80, 90, 100, 2, 80, 90, 100, 2"},
       15,
       "speed-indicator board at -80 m would mark cell -1, before the first cell",
       none,
       Compilation::Result::pronto},
      {"indication board at -80 would mark cell -1",
       {"cartello_indicatore, -80, (A)"},
       15,
       "indication board at -80 m would mark cell -1, before the first cell",
       none,
       Compilation::Result::pronto},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    Reading l = parse(con_elementi(c.rows));
    Reading senza = parse(con_elementi({c.rows.begin() + 1, c.rows.end()}));
    ASSERT_FALSE(l.failure.has_value()) << l.failure->what();
    ASSERT_FALSE(senza.failure.has_value()) << senza.failure->what();
    EXPECT_EQ(l.outcome, LineOutcome::continua);
    EXPECT_EQ(l.p.codice_errore, c.codice);
    if (c.codice != 0) {
      EXPECT_EQ(l.p.posizione_errore, std::stoi(c.rows[0].substr(c.rows[0].find(',') + 1)));
      ASSERT_EQ(l.log.all().size(), 1u);
      EXPECT_EQ(l.log.all()[0].message, c.message);
    } else {
      EXPECT_TRUE(l.log.empty());
    }
    c.changes(senza.p);
    EXPECT_EQ(test::cells_difference(l.p.celle, senza.p.celle), "");
    EXPECT_EQ(complete_compilation(l.p, l.log).status, c.status);
  }
}

// A curve that starts before the line's origin has no straight run: its
// plan is that of the same curve from metre 1.
TEST(LineParser, CurveFromANegativeStartRunsFromTheCursor) {
  const Reading l = parse(con_elementi({"curvad1, -500, 1000"}));
  const Reading from_one = parse(con_elementi({"curvad1, 1, 499"}));
  ASSERT_FALSE(l.failure.has_value()) << l.failure->what();
  EXPECT_EQ(l.p.codice_errore, 0);
  EXPECT_TRUE(l.log.empty());
  EXPECT_EQ(plan_in_memory(l.p.tracciato).column(0).at(2).valore,
            0.0001);  // the first row is curved
  EXPECT_EQ(plan_content(l.p.tracciato).joined(), plan_content(from_one.p.tracciato).joined());
}

// On a line longer than 993000 m a curve that runs past metre 1000000 is
// computed up to row 1000000, then fails with 103; the rows beyond stay
// empty and the line half ends there.
TEST(LineParser, CurvePastRowOneMillionKeepsTheRowsComputedBeforeIt) {
  const Reading l = parse(lines({"[generale]", "lunghezza percorso, 994550", "[curve]",
                                 "curvad1, 997425, 5678", "pendenza, 1000, 1", "[fine]"}));
  ASSERT_FALSE(l.failure.has_value()) << l.failure->what();
  EXPECT_EQ(l.outcome, LineOutcome::fine);
  EXPECT_EQ(l.p.codice_errore, 103);
  EXPECT_EQ(l.p.posizione_errore, position_before);
  ASSERT_EQ(l.log.all().size(), 1u);
  EXPECT_EQ(l.log.all()[0].message, "track plan passes row 1000000");
  const Tracciato t = plan_in_memory(l.p.tracciato);
  ASSERT_EQ(t.rows(), 1001551);
  for (int c = 0; c < 2; ++c) {
    for (int i = 2; i <= 1000000; ++i) ASSERT_EQ(t.column(c)[i].tag, Numero::Tag::real) << i;
    for (int i = 1000001; i < t.rows(); ++i) ASSERT_EQ(t.column(c)[i].tag, Numero::Tag::empty) << i;
  }
  EXPECT_EQ(t.column(0)[997425].valore, 0);   // the straight run
  EXPECT_GT(t.column(0)[1000000].valore, 0);  // the curve, turning towards +x
  EXPECT_EQ(plan_content(l.p.tracciato).size(), 20006196u);
  EXPECT_EQ(l.p.celle[0].pendenza, 0);  // the entries after the curve are not read
}

TEST(LineParser, ReadAndRunFailuresAreThrownWithTheFieldAtFault) {
  const struct {
    const char* test_case;
    std::string text;
    int riga;
    const char* field;
    const char* message;
  } cases[] = {
      {"text for a number", con_elementi({"pendenza, abc, 1"}), 4, "abc",
       "expected a whole number"},
      {"values missing at the end",
       lines({"[generale]", "lunghezza percorso, 92000", "[curve]", "pendenza, 1000"}), 4, "",
       "got the end of the file"},  // just after the last character
      {"empty file", "", 1, "", "expected a field, got the end of the file"},
      {"gradient byte above 255 at its first write",
       con_elementi({"pendenza, 1000, 156", "pendenza, 2000, 0"}), 4, "156",
       "gradient 156 gives the cell byte 256, outside 0..255"},
      {"gradient byte below 0 written by the tail", con_elementi({"pendenza, 1000, -101"}), 4,
       "-101", "gradient -101 gives the cell byte -1"},
      {"packed speed a outside 16 bits",
       con_elementi({"indicatori_vmax, 2000, 1639, 0, 0, 0, 0, 0, 0, 0"}), 4, "1639",
       "speed pair a packs to 32780"},
      {"packed speed c outside 16 bits",
       con_elementi({"indicatori_vmax, 2000, 1, 1, -1639, 0, 0, 0, -5, 0"}), 4, "-1639",
       "speed pair c packs to -32781"},
      {"packed stripes outside 16 bits",
       con_elementi({"indicatori_vmax, 2000, 1, 1, 1, 3277, 0, 0, 0, 0"}), 4, "3277",
       "stripe pair packs to 32770"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    const Reading l = parse(c.text);
    ASSERT_TRUE(l.failure.has_value());
    EXPECT_EQ(l.failure->where().line, c.riga);
    EXPECT_EQ(field(l.failure->where()), c.field);
    EXPECT_NE(std::string(l.failure->what()).find(c.message), std::string::npos)
        << l.failure->what();
    EXPECT_EQ(l.p.posizione_errore, position_before);
  }
}

TEST(LineParser, GradientByteIsCheckedWhenWrittenNotWhenRead) {
  // 200 is read, never written (the next entry writes no cell), then replaced.
  const Reading l = parse(con_elementi({"pendenza, 1000, 200", "pendenza, 0, 0"}));
  ASSERT_FALSE(l.failure.has_value()) << l.failure->what();
  EXPECT_EQ(l.p.codice_errore, 0);
  EXPECT_EQ(l.p.celle[0].pendenza, 100);
  EXPECT_EQ(l.p.celle[1977].pendenza, 100);
  EXPECT_EQ(l.p.celle[1978].pendenza, 0);
  // The extremes of the byte are written.
  const Reading m = parse(con_elementi({"pendenza, 0, -100", "pendenza, 100, 155"}));
  ASSERT_FALSE(m.failure.has_value()) << m.failure->what();
  EXPECT_EQ(m.p.celle[0].pendenza, 0);
  EXPECT_EQ(m.p.celle[1].pendenza, 0);
  EXPECT_EQ(m.p.celle[2].pendenza, 255);
}

TEST(LineParser, GradientCursorBeyondTheCellsIsARunFailure) {
  // A 100 m line has cells 0 to 142; every entry at 50 m writes the cell at
  // the cursor and moves it on.
  std::vector<std::string> rows{"[generale]", "lunghezza percorso, 100", "[curve]"};
  for (int i = 0; i < 150; ++i) rows.push_back("pendenza, 50, 1");
  rows.push_back("[fine]");
  const Reading l = parse(lines(rows), 0);
  ASSERT_TRUE(l.failure.has_value());
  EXPECT_EQ(l.failure->where().line, 4 + 143);  // the entry that reached cell 143
  EXPECT_NE(std::string(l.failure->what()).find("gradient cell 143 lies outside the cells 0..142"),
            std::string::npos)
      << l.failure->what();
}

TEST(LineParser, GradientFill) {
  struct PlanStretch {
    int from, a, byte;
  };
  const struct {
    const char* test_case;
    std::vector<std::string> rows;
    std::vector<PlanStretch> expected;
  } cases[] = {
      {"no gradient entry: the tail writes 100", {}, {{0, 1977, 100}, {1978, 1980, 0}}},
      {"an entry at 0 writes no cell, the tail takes the last gradient",
       {"pendenza,   0,    0", "pendenza,  1000,   1"},
       {{0, 19, 100}, {20, 1977, 101}, {1978, 1980, 0}}},
      {"an entry behind the cursor still writes the cell at the cursor",
       {"pendenza,  1000,   1", "pendenza,  500,   2"},
       {{0, 19, 100}, {20, 20, 101}, {21, 1977, 102}, {1978, 1980, 0}}},
      {"the tail writes at least the cell at the cursor",
       {"pendenza,  98900,   5"},
       {{0, 1977, 100}, {1978, 1978, 105}, {1979, 1980, 0}}},
      {"q rounds halves to even",
       {"pendenza,  1025,   3", "pendenza,  1075,   4"},
       {{0, 19, 100}, {20, 21, 103}, {22, 1977, 104}}},
      {"element entries end at fault 15; the tail still runs",
       {"pendenza,  1000,   1", "pendenza,  98901,   2", "pendenza,  2000,   3"},
       {{0, 19, 100}, {20, 1977, 101}, {1978, 1980, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    const Reading l = parse(con_elementi(c.rows));
    ASSERT_FALSE(l.failure.has_value()) << l.failure->what();
    ASSERT_EQ(l.p.last_cell(), 1980);
    for (const PlanStretch& t : c.expected) {
      for (int i = t.from; i <= t.a; ++i) ASSERT_EQ(l.p.celle[i].pendenza, t.byte) << "cell " << i;
    }
  }
}

TEST(LineParser, GeneralSectionValuesAndKeyCase) {
  const Reading l = parse(lines({
      "-- intestazione --",
      "[GENERALE]",
      "LUNGHEZZA PERCORSO,    1000000",
      "progressiva chilometrica uno,    1000,    7,    1",
      "progressiva chilometrica due,    3000,    0,    0",
      "progressiva chilometrica tre,    2000,    0,    0",
      "Progressiva chilometrica tre,    9000,    9,    9",
      "sfondo uno,    4",
      "sfondo due,    1",
      "sfondo tre,    3000",
      "Sfondo uno,    8",
      "Ripetizione segnali 9 codici,  1025,  1",
      "ripetizione segnali 9 codici,    1000,    80000",
      "pendenza,  1000,  5",
      "[curve]",
      "sfondo uno,    6",
      "lunghezza percorso,    1000",
      "[fine]",
  }));
  ASSERT_FALSE(l.failure.has_value()) << l.failure->what();
  EXPECT_EQ(l.p.codice_errore, 0);
  EXPECT_EQ(l.p.last_cell(), 20140);
  EXPECT_EQ(l.p.lunghezza_totale, 1007000);
  EXPECT_EQ(l.p.tracciato.rows(), 1007001);
  EXPECT_EQ(l.p.elementi[84].fine, 1000000);
  // Ordered by first value; the 1 in the third value adds 100.
  EXPECT_EQ(l.p.elementi[81].inizio, 3000);
  EXPECT_EQ(l.p.elementi[82].inizio, 2000);
  EXPECT_EQ(l.p.elementi[83].inizio, 1000);
  EXPECT_EQ(l.p.elementi[83].fine, 107);
  EXPECT_EQ(l.p.elementi[85].inizio, 4);  // neither "Sfondo uno" nor the one after the section
  EXPECT_EQ(l.p.elementi[85].progressiva, 1);
  EXPECT_EQ(l.p.elementi[85].fine, 3000);
  EXPECT_EQ(l.p.elementi[86].inizio, 1000);
  EXPECT_EQ(l.p.elementi[86].fine, 80000);
  EXPECT_EQ(l.p.elementi[86].progressiva, 9);
  // The gradient entry stood in the general section: only the tail wrote.
  EXPECT_EQ(l.p.celle[0].pendenza, 100);
  EXPECT_EQ(l.p.celle[20137].pendenza, 100);
  EXPECT_EQ(l.p.celle[20138].pendenza, 0);
}

TEST(LineParser, RipetizioneCodes) {
  const struct {
    const char* key;
    const char* values;
    int32_t codici;
  } cases[] = {
      {"ripetizione segnali 9 codici", "1000, 80000", 9},
      {"ripetizione segnali 4 codici", "1000, 80000", 4},
      {"ripetizione segnali 9 o 4 codici", "1000, 80000", 4},
      {"ripetizione segnali 9 codici", "1000, 0", 0},
      {"ripetizione segnali 9 codici", "-50, 50", 9},
  };
  for (const auto& c : cases) {
    const Reading l = parse(lines({"[generale]", "lunghezza percorso, 92000",
                                   std::string(c.key) + ", " + c.values, "[curve]", "[fine]"}));
    ASSERT_FALSE(l.failure.has_value()) << l.failure->what();
    EXPECT_EQ(l.p.codice_errore, 0) << c.key << c.values;
    EXPECT_EQ(l.p.elementi[86].progressiva, c.codici) << c.key << c.values;
  }
}

TEST(LineParser, HyphenCommentFields) {
  const std::string ten = "-,-,-,-,-,-,-,-,-,-,";
  const struct {
    const char* test_case;
    std::string text;
    int32_t sfondo_uno;  // record 85 inizio afterwards
    int32_t codice;
  } cases[] = {
      {"ten hyphen fields give way to a key that has one",
       lines({"[generale]", "lunghezza percorso, 92000", ten + "sfondo uno -, 5", "[curve]",
              "[fine]"}),
       5, 0},
      {"an eleventh hyphen field is tested as the key",
       lines({"[generale]", "lunghezza percorso, 92000", ten + "-, sfondo uno -, 5", "[curve]",
              "[fine]"}),
       0, 0},
      {"a hyphen before a section name does not end the section",
       lines({"[generale]", ten + "-[a]", "lunghezza percorso, 92000", "[curve]", "[fine]"}), 0, 0},
      {"a section name with a hyphen after its start ends it",
       lines({"[generale]", ten + "x-[a]", "lunghezza percorso, 92000", "[curve]", "[fine]"}), 0,
       104},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    const Reading l = parse(c.text);
    ASSERT_FALSE(l.failure.has_value()) << l.failure->what();
    EXPECT_EQ(l.p.codice_errore, c.codice);
    EXPECT_EQ(l.p.elementi[85].inizio, c.sfondo_uno);
  }

  // After the general section, up to two hyphen fields give way; the third
  // field is examined even with a hyphen.
  const struct {
    const char* riga;
    int byte;  // gradient of cell 0
  } elementi[] = {
      {"-a, -b, pendenza-x, 1000, 3", 100},  // recognised: cells 0 to 19 get 0 + 100, the tail 103
      {"-a, pendenza-x, 1000, 3", 100},
      {"pendenza-x, 1000, 3", 100},
  };
  const int coda[] = {103, 100, 100};
  for (int i = 0; i < 3; ++i) {
    const Reading l = parse(con_elementi({elementi[i].riga}));
    ASSERT_FALSE(l.failure.has_value()) << l.failure->what();
    EXPECT_EQ(l.p.celle[0].pendenza, elementi[i].byte) << elementi[i].riga;
    EXPECT_EQ(l.p.celle[100].pendenza, coda[i]) << elementi[i].riga;
  }
}

TEST(LineParser, TheLastFieldIsNeverAKey) {
  // A bare key as the last line would read past the end if it were processed.
  const Reading a =
      parse(lines({"[generale]", "lunghezza percorso, 92000", "[curve]", "montagna"}));
  ASSERT_FALSE(a.failure.has_value()) << a.failure->what();
  EXPECT_EQ(a.p.codice_errore, 0);
  EXPECT_EQ(a.outcome, LineOutcome::continua);
  // The length as the last field is not read either.
  const Reading b = parse(lines({"[generale]", "lunghezza percorso"}));
  ASSERT_FALSE(b.failure.has_value()) << b.failure->what();
  EXPECT_EQ(b.p.codice_errore, 104);
  EXPECT_FALSE(b.p.ha_celle());
  EXPECT_FALSE(b.p.tracciato.present());
  // Values on the last line are read: only its last field is never a key.
  const Reading c = parse(lines(
      {"[generale]", "lunghezza percorso, 92000", "[curve]", "montagna,   4500,  15200,  2"}));
  ASSERT_FALSE(c.failure.has_value()) << c.failure->what();
  EXPECT_EQ(c.p.celle[90].galleria, 2);
}

TEST(LineParser, KeysInTheWrongSectionAreSkippedWithTheirValues) {
  const Reading l = parse(con_elementi({
      "lunghezza percorso, 1000",  // not recognised after the general section
      "sfondo tre, 4000",
      "PENDENZA, 1000, 1",  // element keys ignore case
      "MONTAGNA, 4500, 15200, 11",
      "Indicatori_VMax, 2000, 80, 90, 100, 2, 80, 90, 100, 2",
      "CARTELLO_INDICATORE, 4600, (GALLERIA)( Km. 1 )",
  }));
  ASSERT_FALSE(l.failure.has_value()) << l.failure->what();
  EXPECT_EQ(l.p.codice_errore, 0);
  EXPECT_EQ(l.p.last_cell(), 1980);
  EXPECT_EQ(l.p.elementi[85].fine, 0);
  EXPECT_EQ(l.p.celle[19].pendenza, 100);
  EXPECT_EQ(l.p.celle[20].pendenza, 101);
  EXPECT_EQ(l.p.celle[90].galleria, 1);
  EXPECT_EQ(l.p.celle[41].tipo, tipo_cella::indicatori_v_max);
  // The board lands on the tunnel marker of cell 93 and replaces it.
  EXPECT_EQ(l.p.celle[93].tipo, tipo_cella::cartello_indicatore);
  EXPECT_EQ(l.p.celle[93].valore_1, 80);
  EXPECT_EQ(l.p.elementi[80].nome, "(GALLERIA)( Km. 1 )");
}

TEST(LineParser, IndicationBoardsCountDownFromRecord80) {
  const Reading l = parse(con_elementi({
      "cartello_indicatore,  4425,   (A)",
      "cartello_indicatore,  5000,   (B)",
      "cartello_indicatore,  4475,   (C)",
  }));
  EXPECT_EQ(l.p.codice_errore, 6);
  EXPECT_EQ(l.p.celle[90].tipo, tipo_cella::cartello_indicatore);  // 89.5 rounds to 90
  EXPECT_EQ(l.p.celle[90].valore_1, 80);
  EXPECT_EQ(l.p.celle[101].valore_1, 79);
  EXPECT_EQ(l.p.elementi[80].nome, "(A)");
  EXPECT_EQ(l.p.elementi[79].nome, "(B)");
  EXPECT_EQ(l.p.elementi[78].nome, "");
  EXPECT_EQ(l.indice_cartelli, 78);
}

TEST(LineParser, TableLimitsAreRefusedAsFaults) {
  // 80 indication boards fill records 80 down to 1; the 81st is fault 10.
  std::vector<std::string> cartelli;
  for (int i = 1; i <= 81; ++i)
    cartelli.push_back("cartello_indicatore, " + std::to_string(i * 100) + ", (T)");
  const Reading a = parse(con_elementi(cartelli));
  EXPECT_EQ(a.p.codice_errore, 10);
  EXPECT_EQ(a.p.posizione_errore, 8100);
  EXPECT_EQ(a.outcome, LineOutcome::fine);
  EXPECT_EQ(a.p.elementi[1].nome, "(T)");
  EXPECT_EQ(a.p.elementi[0].nome, "");
  EXPECT_EQ(a.p.celle[163].tipo, 0);  // the 81st board's cell is untouched
  EXPECT_EQ(a.indice_cartelli, 0);
  ASSERT_EQ(a.log.all().size(), 1u);
  EXPECT_EQ(field(*a.log.all()[0].where), "8100");

  // 80 tunnel stretches fill the tunnel table; the 81st is fault 15.
  std::vector<std::string> montagne;
  for (int i = 1; i <= 81; ++i)
    montagne.push_back("montagna, " + std::to_string(i * 1000) + ", " +
                       std::to_string(i * 1000 + 500) + ", 2");
  montagne.push_back("pendenza, 1000, 1");
  const Reading b = parse(con_elementi(montagne));
  EXPECT_EQ(b.p.codice_errore, 15);
  EXPECT_EQ(b.p.posizione_errore, 81000);
  EXPECT_EQ(b.outcome, LineOutcome::continua);
  EXPECT_EQ(b.p.numero_montagne, 80);
  EXPECT_EQ(b.p.celle[1620].galleria, 0);
  EXPECT_EQ(b.p.celle[0].pendenza, 100);  // the entries after the fault are not read
  EXPECT_EQ(b.p.celle[100].pendenza, 100);
}

TEST(LineParser, TrackPlanOnlyInModeNonzero) {
  const std::vector<std::string> curve{"curvad1,  2000,  9000", "curvad7,  20000,  100"};
  const Reading zero = parse(con_elementi(curve), 0);
  ASSERT_FALSE(zero.failure.has_value()) << zero.failure->what();
  EXPECT_EQ(zero.p.codice_errore, 0);  // the curve keys are unrecognised fields
  EXPECT_FALSE(zero.p.tracciato.present());

  const Reading uno = parse(con_elementi({"curvad1,  2000,  9000"}), 1);
  ASSERT_FALSE(uno.failure.has_value()) << uno.failure->what();
  EXPECT_EQ(uno.p.codice_errore, 0);
  ASSERT_EQ(uno.p.tracciato.rows(), 99001);
  const Tracciato t = plan_in_memory(uno.p.tracciato);
  EXPECT_EQ(t.column(0).at(2001).valore, 0.0001);
  EXPECT_EQ(t.column(0).at(98998).tag, Numero::Tag::real);
  EXPECT_EQ(t.column(0).at(98999).tag, Numero::Tag::empty);

  // A second length entry creates cells and plan again, empty.
  const Reading due = parse(lines({"[generale]", "lunghezza percorso, 92000",
                                   "lunghezza percorso, 1000", "[curve]", "[fine]"}));
  EXPECT_EQ(due.p.last_cell(), 160);
  EXPECT_EQ(due.p.tracciato.rows(), 8001);
  EXPECT_EQ(due.p.elementi[84].fine, 1000);

  // A later length that is refused (fault 1) or cannot be read (a run
  // failure) leaves the cells and plan of the one before.
  for (const char* rejected : {"lunghezza percorso, -5", "lunghezza percorso, x"}) {
    SCOPED_TRACE(rejected);
    const Reading l =
        parse(lines({"[generale]", "lunghezza percorso, 1000", rejected, "[curve]", "[fine]"}));
    EXPECT_NE(l.p.codice_errore == 1, l.failure.has_value());
    EXPECT_EQ(l.p.last_cell(), 160);
    EXPECT_EQ(l.p.tracciato.rows(), 8001);
    EXPECT_FALSE(l.p.tracciato.seeded);
  }
}

}  // namespace
}  // namespace sc
