// The examples of the catalogue of codes, tried on the exported scenario:
// each fault example, put into the embedded descriptions as a one-line edit,
// gives its fault, and its fixed line compiles without fault. And
// `scenario-compiler explain` as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "compiler/fault_catalogue.h"
#include "compiler/memorizza_percorso.h"
#include "tests/run_program.h"
#include "tests/support/modified_scenario.h"
#include "tests/support/test_dir.h"
#include "writers/content.h"
#include "writers/scenario.h"

namespace sc {
namespace {

using namespace test::file_scenario;
using namespace test::modified_scenario;

TEST(CodeExamples, EachFaultExampleGivesItsFaultAndItsFixCompilesClean) {
  int tried = 0;
  for (const CodeEntry& v : fault_catalogue()) {
    if (v.severity != Severity::errore || v.file == ExampleFile::none) continue;
    SCOPED_TRACE(std::string(v.codice) + ": " + std::string(v.example));
    const int32_t numero = std::stoi(std::string(v.codice.substr(1)));
    for (const bool correct : {false, true}) {
      std::vector<std::string> linea = rows(line_table()), treno = rows(train_table());
      ASSERT_TRUE(change(v.file == ExampleFile::linea ? linea : treno, v.replaces,
                         correct ? v.fix : v.example));
      Result e;
      compile(e, linea, treno);
      if (correct) {
        EXPECT_EQ(e.status, Compilation::Result::pronto) << "fixed";
        EXPECT_EQ(e.p.codice_errore, 0) << "fixed:" << fault_list(e.log);
        EXPECT_TRUE(e.log.empty()) << "fixed:" << fault_list(e.log);
        EXPECT_TRUE(e.log.others().empty()) << "fixed:" << other_list(e.log);
      } else if (numero == 1250 || numero == 1251) {
        EXPECT_EQ(e.status, numero == 1250 ? Compilation::Result::errore_1250
                                           : Compilation::Result::errore_1251);
        EXPECT_TRUE(e.log.empty()) << fault_list(e.log);
      } else {
        const auto& f = e.log.all();
        const auto and_this = [&](const Fault& x) {
          return x.codice == numero && x.severity == Severity::errore;
        };
        if (std::any_of(f.begin(), f.end(), and_this)) {
          EXPECT_EQ(e.p.codice_errore, numero) << fault_list(e.log);
        } else {
          // A fault of the text encoding is no fault of the rules: the
          // compile itself is unchanged.
          const auto& a = e.log.others();
          EXPECT_TRUE(std::any_of(a.begin(), a.end(), and_this))
              << fault_list(e.log) << other_list(e.log);
          EXPECT_EQ(e.p.codice_errore, 0);
        }
      }
    }
    ++tried;
  }
  // Every parser fault but 10 (which needs a full element table) and 101 (a
  // missing file) has a one-line example, and so has E26; the cell pass's
  // need several lines.
  EXPECT_EQ(tried, 25);
}

// Each warning and note example of the catalogue, as a one-line edit of the
// exported scenario, gives its code and no fault; and its compiled bytes
// are those of an edit that says the same without the warning (the line
// deleted, the value as it is stored, the part a text keeps): a warning
// tells what the compile does and changes none of it.
TEST(CodeExamples, EachWarningExampleGivesItsCodeAndTheBytesOfWhatTheCompileDoes) {
  struct Change {
    ExampleFile file;
    std::string replaces, riga;
  };
  const std::map<std::string, std::vector<Change>> equivalent = {
      {"W1", {{ExampleFile::treno, "velocita,    1500,   250", ""}}},
      {"W2", {{ExampleFile::treno, "sabbia,    300", "sabbia,    300"}}},
      {"W3", {{ExampleFile::treno, "velocita,    1500,   250", "velocita,    1500,   120"}}},
      {"W4", {{ExampleFile::treno, "velocita,    1500,   250", ""}}},
      {"W5", {{ExampleFile::linea, "", "curvad1,  92500,  500"}}},
      {"W6", {}},
      {"W7", {}},
      {"W9",
       {{ExampleFile::linea, "cartello_indicatore,  4400,   (GALLERIA PIANORO)( Km. 10.710     )",
         "cartello_indicatore,  4400,   (GALLERIA PIANORO"}}},
      {"W10", {{ExampleFile::treno, "aderenza,   0,    100", "aderenza,   0,    44"}}},
      {"W13", {{ExampleFile::linea, "", "pendenza,  80550,   2"}}},
      {"W14",
       {{ExampleFile::treno,
         "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0, PRAVENA S.M.N",
         "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0, [rallentamenti]"},
        {ExampleFile::treno, "[rallentamenti]", ""}}},
      {"W15", {{ExampleFile::treno, "[codici]", ""}}},
      {"W16", {{ExampleFile::treno, "velocita,    1500,   250", "velocita,    1500,   250"}}},
      {"W17", {{ExampleFile::treno, "sabbia,    300", "sabbia,    200"}}},
      {"N1",
       {{ExampleFile::linea, "cartello_indicatore,  4400,   (GALLERIA PIANORO)( Km. 10.710     )",
         "cartello_indicatore,  4400,   (GALLERIA CITT\xC0)( Km. 10.710     )"}}},
  };
  int tried = 0;
  for (const CodeEntry& v : fault_catalogue()) {
    if (v.severity == Severity::errore || v.file == ExampleFile::none) continue;
    SCOPED_TRACE(std::string(v.codice) + ": " + std::string(v.example));
    std::vector<std::string> linea = rows(line_table()), treno = rows(train_table());
    ASSERT_TRUE(change(v.file == ExampleFile::linea ? linea : treno, v.replaces, v.example));
    Result e;
    compile(e, linea, treno);
    EXPECT_EQ(e.status, Compilation::Result::pronto);
    EXPECT_EQ(e.p.codice_errore, 0) << fault_list(e.log);
    EXPECT_TRUE(e.log.empty()) << fault_list(e.log);
    ASSERT_EQ(e.log.others().size(), 1u) << other_list(e.log);
    EXPECT_EQ(diagnostic_code(e.log.others()[0]), v.codice) << other_list(e.log);
    ++tried;

    const auto eq = equivalent.find(std::string(v.codice));
    // W8: the stop cell takes the type and first value of the board's cell,
    // the rest of the board's values stay, which no other entry writes; W11:
    // a train with nothing in it has no other spelling.
    if (eq == equivalent.end()) continue;
    std::vector<std::string> linea_eq = rows(line_table()), treno_eq = rows(train_table());
    for (const Change& m : eq->second) {
      auto& r = m.file == ExampleFile::linea ? linea_eq : treno_eq;
      if (m.riga.empty()) {  // the line deleted
        const auto it = std::find(r.begin(), r.end(), m.replaces);
        ASSERT_NE(it, r.end()) << m.replaces;
        r.erase(it);
      } else {
        ASSERT_TRUE(change(r, m.replaces, m.riga));
      }
    }
    Result q;
    compile(q, linea_eq, treno_eq);
    EXPECT_TRUE(q.log.others().empty()) << "equivalent edit:" << other_list(q.log);
    ASSERT_EQ(e.files.size(), q.files.size());
    for (size_t i = 0; i < e.files.size(); ++i)
      EXPECT_TRUE(e.files[i] == q.files[i]) << "compiled file " << i;
  }
  EXPECT_EQ(tried, 17);  // W1 to W17 but W12 (a command-line case), and N1
}

// --- explain, run as a user would ------------------------------------------

test::ProgramOutcome explain(std::vector<std::string> args) {
  test::TempDir dir;
  args.insert(args.begin(), "explain");
  return test::run_program(dir.path(), args);
}

TEST(Explain, PrintsTheMeaningRuleFixAndExampleOfACode) {
  const test::ProgramOutcome e = explain({"E16"});
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(e.err, "");
  EXPECT_EQ(e.out,
            "E16: signal on a taken cell (error)\n"
            "\n"
            "What it means\n"
            "  A \"segnale\" entry falls in a cell that already holds an element: another\n"
            "  signal, a station stop, a board, a restriction cell. The train description\n"
            "  is read no further.\n"
            "\n"
            "The rule\n"
            "  A signal takes the cell after the 50 m cell of its position (position / 50 +\n"
            "  1, halves rounded to even); that cell must be empty or a tunnel marker.\n"
            "\n"
            "How to fix it\n"
            "  Move the signal by 50 m or more, off the element that holds the cell.\n"
            "\n"
            "Example (train description)\n"
            "  segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0\n"
            "Fixed\n"
            "  segnale,    4000,   2, 4, 1,  1, 0,    2,  2,1,1, 0\n"
            "\n"
            "Try it\n"
            "  Export the embedded scenario (scenario-compiler export) and, in its train\n"
            "  description, add the example line before \"[fine]\".\n"
            "\n"
            "See docs/format.md, section \"segnale\".\n");
  // The bare number and lower case name the same code.
  EXPECT_EQ(explain({"16"}).out, e.out);
  EXPECT_EQ(explain({"e16"}).out, e.out);
}

TEST(Explain, UnknownOrMissingCodeIsAUsageError) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"E14"},
       "scenario-compiler: explain: unknown code \"E14\"; codes are written E16 (or 16), W3, N1; "
       "'scenario-compiler explain --list' lists them all\n"},
      {{"velocita"},
       "scenario-compiler: explain: unknown code \"velocita\"; codes are written E16 (or 16), W3, "
       "N1; "
       "'scenario-compiler explain --list' lists them all\n"},
      {{},
       "scenario-compiler: explain: give a CODE (such as E16 or W3) or --list\n"
       "Run with --help for more information.\n"},
  };
  for (const auto& c : cases) {
    const test::ProgramOutcome e = explain(c.args);
    EXPECT_EQ(e.status, 2);
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(e.err, c.err);
  }
}

TEST(Explain, ListGivesEveryCodeWithItsTitleAndEachCanBeExplained) {
  const test::ProgramOutcome e = explain({"--list"});
  ASSERT_EQ(e.status, 0) << e.err;
  const std::string rows = "\n" + e.out;
  for (const CodeEntry& v : fault_catalogue()) {
    EXPECT_NE(rows.find("\n" + std::string(v.codice) + " "), std::string::npos) << v.codice;
    EXPECT_NE(rows.find(std::string(v.title) + "\n"), std::string::npos) << v.codice;
  }
  EXPECT_TRUE(e.out.starts_with("E1     error    line length out of range\n")) << e.out;
  EXPECT_NE(e.out.find("\nW12    warning  train number differs from the file name\n"),
            std::string::npos);
  EXPECT_EQ(static_cast<size_t>(std::count(e.out.begin(), e.out.end(), '\n')),
            fault_catalogue().size());
}

}  // namespace
}  // namespace sc
