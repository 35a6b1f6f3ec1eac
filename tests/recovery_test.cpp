// Every fault in one run, and each told at its cause: one-line edits of the
// exported scenario compiled in memory.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/modified_scenario.h"

namespace sc {
namespace {

using namespace test::modified_scenario;

std::vector<std::string> linea_lines() { return rows(line_table()); }
std::vector<std::string> treno_lines() { return rows(train_table()); }

// The position an element entry gives (its first value), or nothing for a
// line that is no element entry.
std::optional<int> posizione(const std::string& riga) {
  static const char* keys[] = {
      "pendenza", "curva",   "montagna",     "indicatori_vmax", "cartello_indicatore",
      "stazione", "segnale", "abbattimento", "rallentamento"};
  for (const char* k : keys) {
    if (riga.rfind(k, 0) == 0) return std::stoi(riga.substr(riga.find(',') + 1));
  }
  return std::nullopt;
}

// Shortening the line to 50 km: one compile reports every entry that lies
// beyond the new end, each at its line, and compiles what the rules
// compile (the same bytes, fault and position as without reading on).
TEST(Recovery, ShorterLineReportsEveryEntryBeyondItsEndInOneRun) {
  std::vector<std::string> linea = linea_lines(), treno = treno_lines();
  ASSERT_TRUE(change(linea, "lunghezza percorso,    92000", "lunghezza percorso,    50000"));
  Result e, without;
  compile(e, linea, treno);
  compile(without, linea, treno, /*as_embedded=*/true);

  EXPECT_EQ(e.p.codice_errore, without.p.codice_errore);
  EXPECT_EQ(e.p.posizione_errore, without.p.posizione_errore);
  EXPECT_EQ(e.files, without.files);
  ASSERT_EQ(e.log.all().size(), 1u) << fault_list(e.log);
  EXPECT_EQ(e.log.all()[0].codice, 103);  // the curve that runs past the shorter plan
  EXPECT_TRUE(without.log.others().empty());

  // Every entry beyond the last position the line allows (the cells run
  // 7000 m past the line: 56900 m, 56200 m for stations), by file and line.
  std::set<std::pair<std::string, int>> expected, found;
  for (const auto& [file, r] : {std::pair{linea_txt, &linea}, std::pair{treno_txt, &treno}}) {
    for (size_t i = 0; i < r->size(); ++i) {
      const auto p = posizione((*r)[i]);
      const int limit = (*r)[i].rfind("stazione", 0) == 0 ? 56200 : 56900;
      if (p && *p > limit) expected.insert({file, static_cast<int>(i) + 1});
    }
  }
  for (const Fault& f : e.log.others()) {
    SCOPED_TRACE(f.message);
    EXPECT_TRUE(f.after_first);
    EXPECT_EQ(f.severity, Severity::errore);
    ASSERT_TRUE(f.where.has_value());
    found.insert({std::filesystem::path(f.where->file).filename().string(), f.where->line});
    // A tunnel that starts before the end and reaches beyond it is one too.
    EXPECT_EQ(f.codice, 15);
  }
  // The first fault: the curve of line 17 (49500 m, 24000 m long) runs past
  // the plan; and the tunnel of line 48 (45000 to 60050 m) marks cells
  // beyond the last.
  found.insert({linea_txt, e.log.all()[0].where->line});
  expected.insert({linea_txt, 17});
  expected.insert({linea_txt, 48});
  EXPECT_EQ(found, expected);
  EXPECT_EQ(e.log.others().size(), 39u);
}

// A fault ends the parse (a station off the 50 m grid, whose values are
// left unread); reading on skips the rest of its line, then a read failure
// and its line, and finds the fault after them.
TEST(Recovery, ReadingOnSkipsTheFaultyLineAndFindsTheFaultsAfterIt) {
  std::vector<std::string> linea = linea_lines(), treno = treno_lines();
  ASSERT_TRUE(change(treno, "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                     "segnale,    3500,   x, 4, 1,  1, 0,    2,  2,1,1, 0"));
  ASSERT_TRUE(change(
      treno,
      "stazione,   29950, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO",
      "stazione,   29925, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO"));
  ASSERT_TRUE(change(treno, "segnale,    9500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                     "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, 0"));
  Result e;
  compile(e, linea, treno);
  ASSERT_EQ(e.log.all().size(), 1u);
  EXPECT_EQ(e.log.all()[0].codice, 8);
  std::vector<std::pair<int32_t, int>> after;
  for (const Fault& f : e.log.others()) after.push_back({f.codice, f.where ? f.where->line : 0});
  EXPECT_EQ(after, (std::vector<std::pair<int32_t, int>>{{25, 17}, {16, 19}})) << other_list(e.log);
}

// The cause, not the symptom: where each fault is told and what it says.
TEST(Recovery, FaultsAreToldAtTheirCause) {
  const struct {
    const char* test_case;
    bool in_linea;
    std::string replaces, riga;
    int32_t codice;
    std::string file;
    int expected_line, column;
    std::string message;
  } cases[] = {
      {"an entry with too few values, at its own line", false,
       "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
       "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1", 25, treno_txt, 17, 49,
       "\"segnale\" has 10 of its 11 values on its line"},
      {"a kilometre reference named as written", true,
       "progressiva chilometrica uno,    0,    0,    0",
       "progressiva chilometrica uno,    1025,    0,    0", 2, linea_txt, 3, 34,
       "kilometre reference \"progressiva chilometrica uno\" has first value 1025"},
      {"a kilometre reference's second value, under it", true,
       "progressiva chilometrica due,    0,    0,    0",
       "progressiva chilometrica due,    0,    1025,    0", 2, linea_txt, 4, 40,
       "kilometre reference \"progressiva chilometrica due\" has second value 1025"},
      {"a position beyond the line, in metres", false,
       "segnale,   91450,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
       "segnale,  100000,   2, 3, 1,  1, 0,    2,  2,1,1, 0", 15, treno_txt, 53, 11,
       "signal at 100000 m lies beyond the last position the line allows, 98900 m"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    std::vector<std::string> linea = linea_lines(), treno = treno_lines();
    ASSERT_TRUE(change(c.in_linea ? linea : treno, c.replaces, c.riga));
    Result e;
    compile(e, linea, treno);
    ASSERT_FALSE(e.log.empty());
    const Fault& f = e.log.all().back();
    EXPECT_EQ(f.codice, c.codice);
    ASSERT_TRUE(f.where.has_value());
    EXPECT_EQ(std::filesystem::path(f.where->file).filename(), c.file);
    EXPECT_EQ(f.where->line, c.expected_line);
    EXPECT_EQ(f.where->file_column(), c.column);
    EXPECT_NE(f.message.find(c.message), std::string::npos) << f.message;
  }
}

// A fault found on the cells stands at the entry behind the cell and points
// to the entries that took the cells it needed.
TEST(Recovery, CellPassFaultNamesTheEntriesInvolved) {
  std::vector<std::string> linea = linea_lines(), treno = treno_lines();
  for (const char* r : {"rallentamento,  5000,  60,  500,  1,  0,  0",
                        "segnale,    4650,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                        "segnale,    4700,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                        "segnale,    4750,   2, 4, 1,  1, 0,    2,  2,1,1, 0"}) {
    ASSERT_TRUE(change(treno, "", r));
  }
  Result e;
  compile(e, linea, treno);
  ASSERT_EQ(e.log.all().size(), 1u) << fault_list(e.log);
  const Fault& f = e.log.all()[0];
  EXPECT_EQ(f.codice, 12);
  EXPECT_EQ(f.posizione, 5050);
  ASSERT_TRUE(f.where.has_value());
  const int fine =
      static_cast<int>(treno.size()) - 1;  // the added lines are the four before "[fine]"
  EXPECT_EQ(f.where->line, fine - 3);
  std::set<int> notes;
  for (const Note& r : f.notes) notes.insert(r.where.line);
  EXPECT_EQ(notes, (std::set<int>{fine - 2, fine - 1, fine}));
}

}  // namespace
}  // namespace sc

namespace sc {
namespace {

// A line description that leaves no cells hides none of the train
// description's faults (a note says that positions were not checked
// against the line's end), and a line length that cannot be read is one
// fault, not two.
TEST(Recovery, ALineWithoutCellsHidesNoFaultOfTheTrain) {
  const std::string signal_3500 = "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0";
  const struct {
    const char* test_case;
    std::string length;
    int32_t line_fault;
  } cases[] = {
      {"length out of range", "lunghezza percorso,    1000001", 1},
      {"length that cannot be read", "lunghezza percorso,    30.000", 25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    std::vector<std::string> linea = linea_lines(), treno = treno_lines();
    ASSERT_TRUE(change(linea, "lunghezza percorso,    92000", c.length));
    ASSERT_TRUE(change(treno, "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, 0", signal_3500));
    Result e;
    compile(e, linea, treno);
    ASSERT_FALSE(e.log.empty());
    EXPECT_EQ(e.log.all().front().codice, c.line_fault);
    std::vector<std::string> later;
    for (const Fault& f : e.log.others()) later.push_back(diagnostic_code(f));
    EXPECT_EQ(later, (std::vector<std::string>{"N2", "E16"})) << other_list(e.log);
    // The signal's fault stands at its line, with a note at the first signal.
    const Fault& dup = e.log.others().back();
    ASSERT_TRUE(dup.where.has_value());
    EXPECT_EQ(dup.where->line, 18);
    ASSERT_EQ(dup.notes.size(), 1u);
    EXPECT_EQ(dup.notes[0].where.line, 17);
  }
}

}  // namespace
}  // namespace sc
