// The compile's entry: descriptions as bytes, the faults of descriptions
// that could not be read, which descriptions the parse is done with, and
// the one failure handler (fault 25).
#include "compiler/compile_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "compiler/fault_codes.h"
#include "compiler/line_placement.h"

namespace sc {
namespace {

const char* const treno_minimo = "[generale]\r\n[fine]\r\n";

std::string linea(const std::string& elementi) {
  return "[generale]\r\nlunghezza percorso,    92000\r\n[curve]\r\n" + elementi + "[fine]\r\n";
}

CompileResult compile(DescriptionText l, DescriptionText t, bool read_on = false) {
  return compile_descriptions({std::move(l), std::move(t), "Prova", "1", 1, read_on});
}

CompileResult compile(const std::string& line_text, const char* train_text = treno_minimo) {
  DescriptionText t{"Prova_1-.txt", std::nullopt};
  if (train_text) t.bytes = train_text;
  return compile({"Prova_linea.txt", line_text}, t);
}

// The log records, for each cell, the entry whose value each profile holds
// there: an entry written behind the fill cursor of the ones before it
// takes only the one cell it always writes, and the cells before the first
// entry hold the start value that no entry gave.
TEST(CompileDescriptions, EachCellNamesTheEntryWhoseValueItHolds) {
  const CompileResult r = compile(linea(
      "pendenza, 1000, 1\r\npendenza, 3000, 2\r\npendenza, 2000, 3\r\nmontagna, 500, 900, 1\r\n"));
  ASSERT_TRUE(r.log.empty());
  const auto line_of = [&](int32_t cella, CellLayer layer) {
    const CellOrigins::CellOrigin* o = r.log.origins.at(cella, layer);
    return o ? o->where.line : 0;
  };
  const struct {
    int32_t cella;
    int line;  // of the gradient entry; 0 for none
  } gradients[] = {{0, 0}, {19, 0}, {20, 4}, {59, 4}, {60, 5}, {61, 6}, {1800, 6}};
  for (const auto& g : gradients)
    EXPECT_EQ(line_of(g.cella, CellLayer::pendenza), g.line) << g.cella;
  const CelleMontagna tunnel = celle_montagna(500, 900);
  ASSERT_FALSE(tunnel.vuota());
  for (int64_t i = tunnel.first - 1; i <= tunnel.last + 1; ++i) {
    const bool inside = i >= tunnel.first && i <= tunnel.last;
    EXPECT_EQ(line_of(static_cast<int32_t>(i), CellLayer::galleria), inside ? 7 : 0) << i;
  }
  EXPECT_EQ(line_of(20, CellLayer::element), 0);  // a gradient places no element
}

TEST(CompileDescriptions, DescriptionThatCannotBeReadIsFault101ForTheLineAnd25ForTheTrain) {
  const std::string good = linea("pendenza, 1000, 1\r\n");
  const struct {
    const char* test_case;
    DescriptionText linea, treno;
    int32_t codice;
    const char* file;  // the file the fault names
    const char* message;
    bool line_done, train_done;
  } cases[] = {
      {"no line file",
       {"L", std::nullopt, Unreadable::no_file},
       {"T", treno_minimo},
       101,
       "L",
       "no line description file",
       false,
       false},
      {"a line file that cannot be opened",
       {"L", std::nullopt, Unreadable::cannot_open},
       {"T", treno_minimo},
       25,
       "L",
       "cannot open the file",
       true,
       true},
      {"a line file that cannot be read",
       {"L", std::nullopt, Unreadable::cannot_read},
       {"T", treno_minimo},
       25,
       "L",
       "cannot read the file",
       true,
       true},
      {"no train file",
       {"L", good},
       {"T", std::nullopt, Unreadable::no_file},
       25,
       "T",
       "cannot open the file",
       true,
       true},
      {"a train file that cannot be opened",
       {"L", good},
       {"T", std::nullopt, Unreadable::cannot_open},
       25,
       "T",
       "cannot open the file",
       true,
       true},
      {"a train file that cannot be read",
       {"L", good},
       {"T", std::nullopt, Unreadable::cannot_read},
       25,
       "T",
       "cannot read the file",
       true,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    for (const bool read_on : {false, true}) {
      const CompileResult r = compile(c.linea, c.treno, read_on);
      EXPECT_EQ(r.model.codice_errore, c.codice);
      ASSERT_EQ(r.log.all().size(), 1u);  // reading on finds nothing more
      const Fault& f = r.log.all()[0];
      EXPECT_EQ(f.codice, c.codice);
      ASSERT_TRUE(f.where.has_value());
      EXPECT_EQ(f.where->file, c.file);
      EXPECT_EQ(f.where->line, 0);
      EXPECT_EQ(f.message, c.message);
      EXPECT_EQ(r.line_consumed, c.line_done);
      EXPECT_EQ(r.train_consumed, c.train_done);
      EXPECT_EQ(r.model.elementi[85].nome, "Prova");
      EXPECT_EQ(r.model.elementi[86].nome, "1");
    }
  }
}

TEST(CompileDescriptions, TheLineIsDoneWithOnEveryWayOutAndTheTrainOnceItsHalfStarted) {
  const struct {
    const char* test_case;
    std::string linea;
    int32_t codice;
    bool train_read;  // the train half ran
  } cases[] = {
      {"normal end", linea("pendenza, 1000, 1\r\n"), 0, true},
      {"fault 15 ends the elements, the train is still read", linea("pendenza, 98901, 1\r\n"), 15,
       true},
      {"fault 102", "x\r\n[fine]\r\n", 102, false},
      {"fault 1", "[generale]\r\nlunghezza percorso, 1000001\r\n[fine]\r\n", 1, false},
      {"fault 5", "[generale]\r\nripetizione segnali, 0, 0\r\n[fine]\r\n", 5, false},
      {"fault 104", "[generale]\r\n[curve]\r\n[fine]\r\n", 104, false},
      {"fault 103", linea("curvas8, 100, 100\r\n"), 103, false},
      {"fault 21",
       linea("indicatori_vmax, 0, 1, 1, 1, 1, 1, 1, 1, 1\r\nindicatori_vmax, 0, 1, 1, 1, 1, 1, 1, "
             "1, 1\r\n"),
       21, false},
      {"fault 6", linea("cartello_indicatore, 100, (A)\r\ncartello_indicatore, 100, (B)\r\n"), 6,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    const CompileResult r = compile(c.linea);
    EXPECT_EQ(r.model.codice_errore, c.codice);
    EXPECT_TRUE(r.line_consumed);
    EXPECT_EQ(r.train_consumed, c.train_read);  // a returning fault leaves the train alone
    EXPECT_FALSE(r.failure.has_value());
  }
}

TEST(CompileDescriptions, AnyFailureIsFault25WithBothDescriptionsDoneAndThePositionKept) {
  const struct {
    const char* test_case;
    std::string linea;
    const char* treno;  // nullptr: no train file
    int32_t posizione;  // afterwards
    const char* message;
  } cases[] = {
      // The message names the entry and the field (the key is field 1).
      {"a value that is not a number", linea("pendenza, 1x00, 1\r\n"), treno_minimo, 0,
       "field 2 of \"pendenza\": expected a whole number"},
      {"reading past the end",
       "[generale]\r\nlunghezza percorso, 92000\r\n[curve]\r\npendenza, 100\r\n", treno_minimo, 0,
       "field 3 of \"pendenza\": expected a whole number, got the end of the file"},
      {"numbers separated by blanks", linea("montagna, 1000  2000 x\r\n"), treno_minimo, 0,
       "field 4 of \"montagna\": expected a whole number, got \"x\""},
      {"an empty field", linea("montagna, 1000,, 11\r\n"), treno_minimo, 0,
       "field 3 of \"montagna\": expected a whole number, got an empty field"},
      {"a gradient byte written by the tail", linea("pendenza, 100, 300\r\n"), treno_minimo, 0,
       "gradient 300 gives the cell byte 400"},
      {"a packed speed outside 16 bits",
       linea("indicatori_vmax, 2000, 5000, 1, 1, 1, 1, 1, 1, 1\r\n"), treno_minimo, 0,
       "speed pair a packs to 100000"},
      {"a missing train file after fault 15", linea("montagna, 98000, 99100, 11\r\n"), nullptr,
       98000, "cannot open the file"},
      {"an overflow the rules did not foresee",
       "[generale]\r\nlunghezza percorso, 92000\r\n"
       "progressiva chilometrica tre, 1000, 2147483600, 1\r\n[curve]\r\n[fine]\r\n",
       treno_minimo, 0, "internal limit"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    const CompileResult r = compile(c.linea, c.treno);
    EXPECT_EQ(r.model.codice_errore, fault_code::run_failure);
    EXPECT_EQ(r.model.posizione_errore, c.posizione);
    EXPECT_TRUE(r.line_consumed);
    EXPECT_TRUE(r.train_consumed);
    ASSERT_FALSE(r.log.all().empty());
    const Fault& f = r.log.all().back();
    EXPECT_EQ(f.codice, fault_code::run_failure);
    EXPECT_FALSE(f.posizione.has_value());
    EXPECT_NE(f.message.find(c.message), std::string::npos) << f.message;
    ASSERT_TRUE(r.failure.has_value());
    EXPECT_EQ(r.failure->message, f.message);
    EXPECT_TRUE(f.message.ends_with(r.failure->what))
        << r.failure->what;  // the failure without its entry
  }
}

// The model's fault record is the log's: the number of the last fault, the
// position of the last one that has one.
TEST(CompileDescriptions, FaultRecordFollowsTheLog) {
  const CompileResult clean = compile(linea("pendenza, 1000, 1\r\n"));
  EXPECT_TRUE(clean.log.empty());
  EXPECT_EQ(clean.model.codice_errore, 0);
  // Fault 15 at 98901 m, then the kilometre-reference fault 2 without a position.
  const CompileResult r = compile(
      "[generale]\r\nlunghezza percorso, 92000\r\n"
      "progressiva chilometrica uno, 1025, 0, 0\r\n[curve]\r\npendenza, 98901, 1\r\n[fine]\r\n");
  ASSERT_FALSE(r.log.empty());
  EXPECT_EQ(r.model.codice_errore, r.log.all().back().codice);
  EXPECT_EQ(r.model.codice_errore, fault_code::km_reference_off_grid);
  EXPECT_EQ(r.model.posizione_errore, 98901);
}

}  // namespace
}  // namespace sc
