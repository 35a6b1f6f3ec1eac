// diff run as a user would: the embedded scenario compiled ("bin") against
// an edited copy of its descriptions ("new"), one kind of edit per row.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "tests/run_program.h"
#include "tests/support/test_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace sc::test;
using namespace sc::test::file_scenario;
using Outcome = ProgramOutcome;

class Diff : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(run_program(dir.path(), {"export", "--out", "src"}).status, 0);
    const Outcome c =
        run_program(dir / "src", {"compile", linea_txt, treno_txt, "--out", "../bin"});
    ASSERT_EQ(c.status, 0) << c.err;
    fs::create_directory(dir / "new");
    linea = read_bytes(dir / ("src/" + linea_txt));
    treno = read_bytes(dir / ("src/" + treno_txt));
  }
  // The edited descriptions written into "new".
  void write_new() {
    write(dir / ("new/" + linea_txt), linea);
    write(dir / ("new/" + treno_txt), treno);
  }
  TempDir dir;
  std::string linea, treno;
};

struct Edit {
  const char* what;
  bool in_linea;  // else the train description
  std::vector<std::pair<std::string, std::string>> replacements;
  std::string expected;  // standard output
  int status;
};

TEST_F(Diff, EachKindOfEditIsToldInTheAuthorsTerms) {
  const std::string signal_3500 = "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n";
  const std::string signal_7500 = "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n";
  const std::vector<Edit> edits{
      {"a gradient moved 500 m on",
       true,
       {{"pendenza,  1000,   1", "pendenza,  1500,   1"}},
       "gradient from 1000 m (1.000 km) to 1500 m (1.500 km): changed: 1 per mille -> 0 per "
       "mille\n",
       1},
      {"a speed board's speeds changed",
       true,
       {{"indicatori_vmax,  2000,  80,  90,  100,", "indicatori_vmax,  2000,  85,  90,  100,"}},
       "speed board at 2000 m (2.000 km): changed: left 80/90/100 km/h, 2 stripes -> 85/90/100 "
       "km/h, 2 stripes\n",
       1},
      {"an indication board's text changed",
       true,
       {{"(VIADOTTO SIEVE)(  m. 641      )", "(VIADOTTO ARNO)(  m. 641      )"}},
       "indication board at 63200 m (63.200 km): changed: text \"(VIADOTTO SIEVE)(  m. 641      "
       ")\" -> \"(VIADOTTO ARNO)(  m. 641      )\"\n",
       1},
      {"a station renamed",
       false,
       {{"SAN PELLEGRINO", "SAN PELLEGRINO NUOVA"}},
       "station \"SAN PELLEGRINO\": renamed: name \"SAN PELLEGRINO\" -> \"SAN PELLEGRINO "
       "NUOVA\"\n",
       1},
      {"a station's time changed",
       false,
       {{"0,   0, 0, 0, SAN PELLEGRINO", "0,   9, 5, 0, SAN PELLEGRINO"}},
       "station \"SAN PELLEGRINO\": changed: time 0:00:00 -> 9:05:00\n",
       1},
      {"two signals swapped and respaced: no byte changes",
       false,
       {{signal_3500 + signal_7500,
         "segnale,7500,2,4,1,1,0,2,2,1,1,0\r\nsegnale,  3500, 2,4,1,1,0,2,2,1,1,0\r\n"}},
       "",
       0},
      {"a curve's radius changed",
       true,
       {{"curvas1,  49500,  24000", "curvas2,  49500,  24000"}},
       "curve at 49500 m (49.500 km): changed: radius 10000 m -> 5000 m\n",
       1},
      {"a signal moved",
       false,
       {{"segnale,    7500,", "segnale,    7600,"}},
       "signal at 7500 m (7.500 km): removed: left 2 (4/1/1), rapp 0, right 2 (2/1/1), tempo 0\n"
       "signal at 7600 m (7.600 km): added: left 2 (4/1/1), rapp 0, right 2 (2/1/1), tempo 0\n",
       1},
      {"a cab-code point added",
       false,
       {{"[fine]", "abbattimento,   50000,   0\r\n[fine]"}},
       "cab code at 50000 m (50.000 km): added: speed none\n",
       1},
  };
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.what);
    linea = read_bytes(dir / ("src/" + linea_txt));
    treno = read_bytes(dir / ("src/" + treno_txt));
    for (const auto& [from, to] : e.replacements) replace(e.in_linea ? linea : treno, from, to);
    write_new();
    // Compiled files against descriptions, and descriptions against
    // descriptions, tell the same.
    for (const char* old_side : {"bin", "src"}) {
      const Outcome d = run_program(dir.path(), {"diff", old_side, "new"});
      EXPECT_EQ(d.out, e.expected) << old_side;
      EXPECT_EQ(d.status, e.status) << old_side << "\n" << d.err;
      EXPECT_EQ(d.err, "") << old_side;
    }
  }
}

TEST_F(Diff, StatAndJsonCountTheSameChanges) {
  replace(treno, "segnale,    7500,", "segnale,    7600,");
  replace(linea, "pendenza,  1000,   1", "pendenza,  1500,   1");
  write_new();
  const Outcome stat = run_program(dir.path(), {"diff", "--stat", "bin", "new/" + treno_txt});
  EXPECT_EQ(stat.status, 1) << stat.err;
  EXPECT_EQ(stat.out, "gradient: 1 changed\nsignal: 1 added, 1 removed\n");

  const Outcome json = run_program(dir.path(), {"diff", "--json", "bin/" + sim, "new"});
  EXPECT_EQ(json.status, 1) << json.err;
  const nlohmann::json j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j["same"], false);
  ASSERT_EQ(j["changes"].size(), 3u);
  EXPECT_EQ(j["changes"][0]["kind"], "gradient");
  EXPECT_EQ(j["changes"][0]["from_m"], 1000);
  EXPECT_EQ(j["changes"][0]["to_m"], 1500);
  EXPECT_EQ(j["changes"][2]["change"], "added");
  EXPECT_EQ(j["changes"][2]["from_m"], 7600);
  EXPECT_EQ(j["changes"][2]["fields"][0]["after"], "2 (4/1/1)");

  const Outcome same = run_program(dir.path(), {"diff", "--json", "bin", "src"});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(nlohmann::json::parse(same.out)["changes"].size(), 0u);
}

// What no entry explains (a cell edited by hand) is still named, by cell:
// a difference never comes with nothing printed.
TEST_F(Diff, WhatNoEntryExplainsIsListedByCell) {
  fs::create_directory(dir / "hand");
  for (const std::string& f : {linea_dat, sim, dat})
    fs::copy_file(dir / ("bin/" + f), dir / ("hand/" + f));
  std::string celle = read_bytes(dir / ("hand/" + dat));
  celle.at(500 * 15) = 9;  // cell 500 given an element type no entry places
  write(dir / ("hand/" + dat), celle);
  const Outcome d = run_program(dir.path(), {"diff", "bin", "hand"});
  EXPECT_EQ(d.status, 1) << d.err;
  EXPECT_NE(d.out.find("cells cell 500 at 25000 m (25.000 km): changed: tipo 0 -> 9\n"),
            std::string::npos)
      << d.out;
}

TEST_F(Diff, ASideThatCannotBeReadIsStatus2) {
  const Outcome missing = run_program(dir.path(), {"diff", "bin", "nothere"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("cannot read \"nothere\""), std::string::npos) << missing.err;

  write(dir / ("new/" + sim), "short");
  const Outcome broken = run_program(dir.path(), {"diff", "new/" + sim, "bin"});
  EXPECT_EQ(broken.status, 2);
  EXPECT_EQ(broken.out, "");

  // A description without its partner beside it.
  write(dir / ("new/" + linea_txt), linea);
  const Outcome alone = run_program(dir.path(), {"diff", "bin", "new/" + linea_txt});
  EXPECT_EQ(alone.status, 2);
  EXPECT_NE(alone.err.find("no single train description"), std::string::npos) << alone.err;
}

}  // namespace
