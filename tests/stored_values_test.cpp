// Every value the compile stores otherwise than written is a warning at
// that value, and the warning tells the truth: the compiled bytes are those
// of the descriptions written as the warning says they are stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "compiler/fault_catalogue.h"
#include "tests/support/modified_scenario.h"

namespace sc {
namespace {

using namespace test::modified_scenario;

struct Edit {
  ExampleFile file;
  std::string replaces;  // "" adds the line before "[fine]"
  std::string riga;      // "" deletes the line
};

void apply(const std::vector<Edit>& edits, std::vector<std::string>& linea,
           std::vector<std::string>& treno) {
  for (const Edit& m : edits) {
    std::vector<std::string>& r = m.file == ExampleFile::linea ? linea : treno;
    if (m.riga.empty()) {
      const auto it = std::find(r.begin(), r.end(), m.replaces);
      ASSERT_NE(it, r.end()) << m.replaces;
      r.erase(it);
    } else {
      ASSERT_TRUE(change(r, m.replaces, m.riga));
    }
  }
}

struct Case {
  const char* what;
  std::vector<Edit> mistake;
  std::string code;
  ExampleFile file;             // the file the warning stands in
  std::string line;             // the line it stands on, as edited
  std::string before;           // what that line holds before the caret
  std::vector<Edit> as_stored;  // the same descriptions written as stored; none: no such text
  int notes = 0;
};

constexpr auto L = ExampleFile::linea;
constexpr auto T = ExampleFile::treno;

const std::vector<Case>& cases() {
  static const std::vector<Case> c{
      {"speed entries in the wrong order",
       {{T, "", "velocita,  3000,  160"}, {T, "", "velocita,  2000,  100"}},
       "W13",
       T,
       "velocita,  2000,  100",
       "velocita,  ",
       {{T, "", "velocita,  3000,  160"}, {T, "", "velocita,  3050,  100"}},
       1},
      {"two gradients swapped",
       {{L, "pendenza,  18000,   0", "pendenza,  16000,   1"},
        {L, "pendenza,  16000,   1", "pendenza,  18000,   0"}},
       "W13",
       L,
       "pendenza,  16000,   1",
       "pendenza,  ",
       {{L, "pendenza,  18000,   0", "pendenza,  18050,   1"},
        {L, "pendenza,  16000,   1", "pendenza,  18000,   0"}},
       1},
      {"two speeds at one position: the first lasts one cell",
       {{T, "", "velocita,  3000,  160"}, {T, "", "velocita,  3000,  100"}},
       "W13",
       T,
       "velocita,  3000,  100",
       "velocita,  ",
       {{T, "", "velocita,  3000,  160"}, {T, "", "velocita,  3050,  100"}},
       1},
      {"a speed entry out of order, with another value: the value in force changes",
       {{T, "", "velocita,  3000,  250"}, {T, "", "velocita,  2000,  160"}},
       "W13",
       T,
       "velocita,  2000,  160",
       "velocita,  ",
       {{T, "", "velocita,  3050,  160"}},
       1},
      {"board left speed not a multiple of 5 spills into the right one",
       {{L, "indicatori_vmax,  6000,  200,  220,  220,  1,  200,  220,  220,  1",
         "indicatori_vmax,  6000,  200,  223,  220,  1,  200,  220,  220,  1"}},
       "W10",
       L,
       "indicatori_vmax,  6000,  200,  223,  220,  1,  200,  220,  220,  1",
       "indicatori_vmax,  6000,  200,  ",
       {{L, "indicatori_vmax,  6000,  200,  220,  220,  1,  200,  220,  220,  1",
         "indicatori_vmax,  6000,  200,  225,  220,  1,  200,  20,  220,  1"}}},
      {"board right speed past 495 spills into the left one",
       {{L, "indicatori_vmax,  6000,  200,  220,  220,  1,  200,  220,  220,  1",
         "indicatori_vmax,  6000,  200,  220,  220,  1,  600,  220,  220,  1"}},
       "W10",
       L,
       "indicatori_vmax,  6000,  200,  220,  220,  1,  600,  220,  220,  1",
       "indicatori_vmax,  6000,  200,  220,  220,  1,  ",
       {{L, "indicatori_vmax,  6000,  200,  220,  220,  1,  200,  220,  220,  1",
         "indicatori_vmax,  6000,  205,  220,  220,  1,  100,  220,  220,  1"}}},
      {"board right stripe count past 9",
       {{L, "indicatori_vmax,  6000,  200,  220,  220,  1,  200,  220,  220,  1",
         "indicatori_vmax,  6000,  200,  220,  220,  1,  200,  220,  220,  12"}},
       "W10",
       L,
       "indicatori_vmax,  6000,  200,  220,  220,  1,  200,  220,  220,  12",
       "indicatori_vmax,  6000,  200,  220,  220,  1,  200,  220,  220,  ",
       {{L, "indicatori_vmax,  6000,  200,  220,  220,  1,  200,  220,  220,  1",
         "indicatori_vmax,  6000,  200,  220,  220,  2,  200,  220,  220,  2"}}},
      {"restriction speed past 16 bits",
       {{T, "", "rallentamento,  5000,  70000,  500,  1,  0,  0"}},
       "W10",
       T,
       "rallentamento,  5000,  70000,  500,  1,  0,  0",
       "rallentamento,  5000,  ",
       {{T, "", "rallentamento,  5000,  4464,  500,  1,  0,  0"}}},
      {"cut-off speed past 16 bits",
       {{T, "abbattimento,   84900,   180", "abbattimento,   84900,   99999"}},
       "W10",
       T,
       "abbattimento,   84900,   99999",
       "abbattimento,   84900,   ",
       {}},
      {"cut-off speed below 0",
       {{T, "abbattimento,   84900,   180", "abbattimento,   84900,   -5"}},
       "W16",
       T,
       "abbattimento,   84900,   -5",
       "abbattimento,   84900,   ",
       {{T, "abbattimento,   84900,   180", "abbattimento,   84900,   0"}}},
      {"tunnel kind past a byte, with markers",
       {{L, "montagna,   91000,  91300,  2", "montagna,   91000,  91300,  300"}},
       "W10",
       L,
       "montagna,   91000,  91300,  300",
       "montagna,   91000,  91300,  ",
       {{L, "montagna,   91000,  91300,  2", "montagna,   91000,  91300,  44"}}},
      {"tunnel kind below 0",
       {{L, "montagna,   63550,  63800,  2", "montagna,   63550,  63800,  -5"}},
       "W10",
       L,
       "montagna,   63550,  63800,  -5",
       "montagna,   63550,  63800,  ",
       {}},  // no written value stores it
      {"tunnel over an earlier tunnel",
       {{L, "montagna,   16500,  20250,  11", "montagna,   14000,  20250,  11"}},
       "W17",
       L,
       "montagna,   14000,  20250,  11",
       "montagna,   ",
       {},
       1},
      {"signal TEMPO past a byte",
       {{T, "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
         "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, 300"}},
       "W10",
       T,
       "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, 300",
       "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, ",
       {}},  // no written value stores it
      {"station name missing: the next line's label is taken",
       {{T, "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0, PRAVENA S.M.N",
         "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0"}},
       "W14",
       T,
       "[rallentamenti]",
       "",
       {{T, "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0, PRAVENA S.M.N",
         "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0, [rallentamenti]"},
        {T, "[rallentamenti]", ""}},
       1},
      {"board text empty",
       {{L, "cartello_indicatore,  63200,   (VIADOTTO SIEVE)(  m. 641      )",
         "cartello_indicatore,  63200,"}},
       "W14",
       L,
       "cartello_indicatore,  63200,",
       "cartello_indicatore,  63200,",
       {}},
      {"station time with 75 minutes",
       {{T, "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0, PRAVENA S.M.N",
         "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,75, 0, PRAVENA S.M.N"}},
       "W16",
       T,
       "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,75, 0, PRAVENA S.M.N",
       "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,",
       {{T, "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0, PRAVENA S.M.N",
         "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  12,15, 0, PRAVENA S.M.N"}}},
      {"speed not a multiple of 5",
       {{T, "velocita,    1500,   250", "velocita,    1500,   248"}},
       "W16",
       T,
       "velocita,    1500,   248",
       "velocita,    1500,   ",
       {{T, "velocita,    1500,   250", "velocita,    1500,   250"}}},
      {"kilometre references dropped",
       {{L, "progressiva chilometrica uno,    0,    0,    0",
         "progressiva chilometrica uno,    0,    -100,    5"}},
       "W16",
       L,
       "progressiva chilometrica uno,    0,    -100,    5",
       "",
       // As stored: the exported references, all 0.
       {{L, "progressiva chilometrica uno,    0,    0,    0",
         "progressiva chilometrica uno,    0,    0,    0"}}},
      {"entries after [fine]",
       {{T, "[codici]", "[fine]"}},
       "W15",
       T,
       "abbattimento,   83400,   280",
       "",
       {{T, "[codici]", ""}},
       1},
      {"a general value given twice",
       {{T, "", "sabbia,    200"}},
       "W17",
       T,
       "sabbia,    300",
       "",
       {{T, "sabbia,    300", "sabbia,    200"}},
       1},
  };
  return c;
}

TEST(StoredValues, EachValueStoredOtherwiseIsAWarningAtItAndTheBytesAreWhatItSays) {
  const std::vector<std::string> linea0 = rows(line_table()), treno0 = rows(train_table());
  Result clean;
  compile(clean, linea0, treno0);
  ASSERT_TRUE(clean.log.others().empty()) << other_list(clean.log);

  for (const Case& k : cases()) {
    SCOPED_TRACE(k.what);
    std::vector<std::string> linea = linea0, treno = treno0;
    ASSERT_NO_FATAL_FAILURE(apply(k.mistake, linea, treno));
    Result e;
    compile(e, linea, treno);
    EXPECT_TRUE(e.log.empty()) << fault_list(e.log);
    ASSERT_EQ(e.log.others().size(), 1u) << other_list(e.log);
    const Fault& w = e.log.others()[0];
    EXPECT_EQ(diagnostic_code(w), k.code) << w.message;
    EXPECT_EQ(w.severity, Severity::avviso);
    ASSERT_TRUE(w.where.has_value());
    const std::vector<std::string>& r = k.file == L ? linea : treno;
    const auto at = std::find(r.begin(), r.end(), k.line);
    ASSERT_NE(at, r.end());
    EXPECT_EQ(w.where->file, k.file == L ? linea_txt : treno_txt);
    EXPECT_EQ(w.where->line, at - r.begin() + 1) << w.message;
    ASSERT_TRUE(k.line.starts_with(k.before));
    EXPECT_EQ(w.where->file_column(), static_cast<int>(k.before.size()) + 1) << w.message;
    EXPECT_EQ(w.notes.size(), static_cast<size_t>(k.notes)) << w.message;
    if (k.as_stored.empty()) continue;
    std::vector<std::string> linea_s = linea0, treno_s = treno0;
    ASSERT_NO_FATAL_FAILURE(apply(k.as_stored, linea_s, treno_s));
    Result s;
    compile(s, linea_s, treno_s);
    EXPECT_TRUE(s.log.others().empty()) << "as stored:" << other_list(s.log);
    ASSERT_EQ(e.files.size(), s.files.size());
    for (size_t i = 0; i < e.files.size(); ++i)
      EXPECT_TRUE(e.files[i] == s.files[i]) << "compiled file " << i;
  }
}

// What the rules make of a value in its range, and an entry that changes
// nothing, are no warning.
TEST(StoredValues, MappingsTheRulesDefineAreNoWarning) {
  const std::vector<std::pair<const char*, std::vector<Edit>>> table{
      {"a speed entry out of order with the value in force", {{T, "", "velocita,  1000,  250"}}},
      {"TEMPO 1 to 100 of a signal whose SX is 2, stored as 101",
       {{T, "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
         "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, 50"}}},
      {"TEMPO of a signal whose SX is not 2, stored as 0",
       {{T, "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
         "segnale,    7500,   1, 4, 1,  1, 0,    2,  2,1,1, 300"}}},
      {"tunnel kinds with markers, and the kind 3 of a tunnel right after another",
       {{L, "montagna,   91000,  91300,  2", "montagna,   91000,  91300,  265"}}},
      {"the warning flag of a restriction at 1500 m or less",
       {{T, "", "rallentamento,  1000,  60,  200,  1,  1,  0"}}},
      {"a cut-off speed of 0", {{T, "abbattimento,   84900,   180", "abbattimento,   84900,   0"}}},
  };
  for (const auto& [what, edits] : table) {
    SCOPED_TRACE(what);
    std::vector<std::string> linea = rows(line_table()), treno = rows(train_table());
    ASSERT_NO_FATAL_FAILURE(apply(edits, linea, treno));
    Result e;
    compile(e, linea, treno);
    EXPECT_TRUE(e.log.empty()) << fault_list(e.log);
    EXPECT_TRUE(e.log.others().empty()) << other_list(e.log);
  }
}

// The closing line counts the warnings by what they say the compile did.
TEST(StoredValues, TheSummaryCountsWhatTheWarningsSay) {
  struct Summary {
    std::vector<Edit> edits;
    std::string expected;
  };
  const std::vector<Summary> table{
      {{}, ""},
      {{{T, "velocita,    1500,   250", "velocia,    1500,   250"}}, "1 warning: 1 entry skipped"},
      {{{T, "velocita,    1500,   250", "velocita,    1500,   248"},
        {T, "sabbia,    300", "sabbia,    300,   20"},
        {T, "abbattimento,   84900,   180", "abbattimento,   84900,   -5"}},
       "3 warnings: 2 entries changed, 1 skipped"},
      {{{T, "[codici]", "[fine]"}, {T, "", "velocia,    1500,   250"}},
       "2 warnings: 1 entry skipped, 1 compiled as written"},
  };
  for (const Summary& s : table) {
    SCOPED_TRACE(s.expected);
    std::vector<std::string> linea = rows(line_table()), treno = rows(train_table());
    ASSERT_NO_FATAL_FAILURE(apply(s.edits, linea, treno));
    Result e;
    compile(e, linea, treno);
    EXPECT_EQ(warnings_summary(e.log), s.expected) << other_list(e.log);
  }
}

}  // namespace
}  // namespace sc
