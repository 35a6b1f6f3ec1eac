// Big inputs through the built program: the longest line the model allows,
// full of elements, compiles to the cells it should; and the compile time
// grows linearly with the number of entries, whether they stand one to a
// line or all on one line; and the diagnostics' time grows linearly with
// their number.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "format/compiled_decode.h"
#include "tests/run_program.h"
#include "tests/support/large_scenario.h"
#include "tests/support/test_dir.h"

namespace {

using namespace sc::test;

constexpr int32_t last_cell = 20140;  // round((1000000 + 7000) / 50)

std::string rows(const std::vector<std::string>& r) {
  std::string s;
  for (const std::string& x : r) s += x + "\r\n";
  return s;
}

std::string n(int64_t v) { return std::to_string(v); }

class BigInput : public ::testing::Test {
 protected:
  ProgramOutcome compile(const std::vector<std::string>& extra = {},
                         const std::string& nome = "Grande", const std::string& treno = "1") {
    ProgramRun e;
    e.cwd = dir.path();
    e.args = {"compile", nome + "_linea.txt", nome + "_" + treno + "-.txt", "--out", "out"};
    e.args.insert(e.args.end(), extra.begin(), extra.end());
    return run_program(e);
  }
  TempDir dir;
};

// --- the big scenario -------------------------------------------------------------

// The generated scenario of the benchmark: the longest line, full of
// elements, every one where its entry puts it.
TEST_F(BigInput, MillionMetreLineFullOfElementsCompilesToTheExpectedCells) {
  const std::string nome = large_name, treno = large_treno;
  const GeneratedScenario g = generate_scenario();
  write(dir / (nome + "_linea.txt"), g.linea);
  write(dir / (nome + "_" + treno + "-.txt"), g.treno);
  const ProgramOutcome e = compile({}, nome, treno);
  ASSERT_EQ(e.status, 0) << e.err.substr(0, 3000);
  EXPECT_EQ(e.err, "");
  const std::string celle_dat = nome + "_" + treno + ".dat", sim = nome + "_" + treno + ".sim";
  ASSERT_EQ(list_dir(dir / "out"), (std::set<std::string>{nome + "_linea.dat", sim, celle_dat}));

  const std::vector<sc::Cella> celle = sc::decode_cells(read_bytes(dir / ("out/" + celle_dat)));
  ASSERT_EQ(celle.size(), last_cell + 1u);
  auto cella = [&](int32_t c) { return celle.at(static_cast<size_t>(c)); };
  EXPECT_EQ(cella(1).valore_1, sc::marca_celle);

  ASSERT_EQ(g.tunnels.size(), 80u);  // as many as the tunnel table holds
  for (const GeneratedMontagna& m : g.tunnels) {
    SCOPED_TRACE("tunnel from " + n(m.inizio));
    for (int32_t c = m.inizio / 50; c < m.fine / 50; ++c) ASSERT_NE(cella(c).galleria, 0) << c;
    EXPECT_EQ(cella(m.inizio / 50 - 1).galleria, 0);
    EXPECT_EQ(cella(m.fine / 50).galleria, 0);
  }
  // Each gradient holds in the middle of its stretch.
  for (int32_t k = 0; k < large_length / pendenze_step; ++k) {
    EXPECT_EQ(cella(k * pendenze_step / 50 + 5).pendenza, generated_pendenza(k) + 100)
        << "gradient " << k;
  }
  const auto el = sc::decode_elements(read_bytes(dir / ("out/" + sim)));
  auto record_name = [&](int r) { return el.at(static_cast<size_t>(r)).nome; };
  ASSERT_EQ(g.stazioni.size(), 70u);  // with the 8 boards, all the element table holds
  for (size_t k = 0; k < g.stazioni.size(); ++k) {
    SCOPED_TRACE("station " + n(static_cast<int64_t>(k) + 1));
    const sc::Cella fermata = cella(g.stazioni[k].fermata);
    EXPECT_EQ(fermata.tipo, 10);
    EXPECT_EQ(fermata.valore_1, static_cast<int>(k) + 1);
    EXPECT_EQ(record_name(fermata.valore_1),
              "STAZIONE " + std::string(k < 9 ? "0" : "") + n(static_cast<int64_t>(k) + 1));
  }
  EXPECT_FALSE(g.rallentamenti.empty());
  for (const int32_t x : g.rallentamenti) {
    SCOPED_TRACE("restriction at " + n(x));
    EXPECT_EQ(cella(x / 50 + 1).tipo, 3);
    EXPECT_EQ(cella(x / 50 + 1).valore_1, velocita_rallentamento);
    EXPECT_EQ(cella((x + rallentamento_length) / 50 + 1).tipo, 2);
    EXPECT_EQ(cella((x - 1200) / 50 + 1).tipo, 4);
  }
  EXPECT_EQ(g.segnali.size(), static_cast<size_t>(large_length / 1500));
  for (const int32_t p : g.segnali) EXPECT_EQ(cella(p / 50 + 1).tipo, 1) << "signal at " << p;
  EXPECT_EQ(record_name(sc::record_sfondo_identita), nome);
  EXPECT_EQ(record_name(sc::record_ripetizione), treno);

  // One station more than the element table holds is a fault at that station.
  const GeneratedScenario too_many = generate_scenario(large_length, 1);
  write(dir / (nome + "_" + treno + "-.txt"), too_many.treno);
  const ProgramOutcome t = compile({}, nome, treno);
  EXPECT_EQ(t.status, 1);
  const size_t stazione_row = 12 + g.stazioni.size();  // entries begin on line 12
  EXPECT_NE(t.err.find(nome + "_" + treno + "-.txt:" + n(static_cast<int64_t>(stazione_row)) +
                       ":1: error: no station record left"),
            std::string::npos)
      << t.err.substr(0, 3000);
}

// --- time linear in the size ---------------------------------------------------------

// A train description of `entries` real entries (speed and adhesion profile
// points, sand and clock values, in turn), one to a line or all on one line.
std::string treno_of(int entries, bool one_line) {
  std::string s = "[generale],";
  const int step = 1000000 / entries;  // the profile points spread over the line
  for (int i = 0; i < entries; ++i) {
    switch (i % 4) {
      case 0: s += "velocita, " + n(int64_t{i} * step) + ", " + n(100 + i % 50); break;
      case 1: s += "aderenza, " + n(int64_t{i} * step) + ", " + n(80 + i % 20); break;
      case 2: s += "sabbia, " + n(i % 1000); break;
      default: s += "orologio, " + n(i % 24) + " " + n(i % 60) + " " + n(i % 60); break;
    }
    s += one_line ? "," : "\r\n";
  }
  return s + "[fine]\r\n";
}

// A million entries against a tenth of them. Under the sanitizers every
// entry costs some 25 times more, so that build compares half a million
// with a tenth of that; the plain build runs the full million.
#if defined(__SANITIZE_ADDRESS__)
constexpr int max_entries = 500000;
#else
constexpr int max_entries = 1000000;
#endif

TEST_F(BigInput, CompileTimeIsLinearInTheNumberOfEntries) {
  write(dir / "Grande_linea.txt", rows({"[generale]", "lunghezza percorso,    1000000", "[fine]"}));
  for (bool one_line : {false, true}) {
    SCOPED_TRACE(one_line ? "all entries on one line" : "one entry to a line");
    double seconds[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
      const int entries = i == 0 ? max_entries / 10 : max_entries;
      write(dir / "Grande_1-.txt", treno_of(entries, one_line));
      // The least processor time of three runs: a run that the machine
      // delays says nothing about the compile.
      for (int fixture = 0; fixture < 3; ++fixture) {
        const ProgramOutcome e = compile({"--no-plan"});
        ASSERT_EQ(e.status, 0) << e.err.substr(0, 3000);
        EXPECT_EQ(read_bytes(dir / "out/Grande_1.dat").size(), 15u * (last_cell + 1));
        seconds[i] = fixture == 0 ? e.cpu_seconds : std::min(seconds[i], e.cpu_seconds);
      }
    }
    // Ten times the entries: about ten times the time at most (a quadratic
    // reading would take a hundred times). Loose, so that a busy machine
    // does not fail it.
    const std::string times = std::to_string(seconds[0]) + " s for " + n(max_entries / 10) +
                              " entries, " + std::to_string(seconds[1]) + " s for " +
                              n(max_entries);
    EXPECT_LT(seconds[1], 20 * seconds[0]) << times;
    std::cout << (one_line ? "all on one line: " : "one entry to a line: ") << times << "\n";
  }
}

// A line length given a thousand times costs what one costs, and the last
// one counts: the same files as from that one entry alone.
TEST_F(BigInput, RepeatedLineLengthCostsNothing) {
  write(dir / "Grande_1-.txt", treno_of(100, false));
  auto linea = [](int times) {
    std::vector<std::string> r{"[generale]"};
    for (int i = 0; i < times; ++i)
      r.push_back("lunghezza percorso, " + n(i % 2 == 0 ? 1000000 : 500000));
    r.insert(r.end(), {"lunghezza percorso, 1000000", "[curve]", "curvad1, 2000, 9000", "[fine]"});
    return rows(r);
  };
  const char* names[3] = {"Grande_linea.dat", "Grande_1.sim", "Grande_1.dat"};
  double seconds[2] = {0, 0};
  std::string file[2][3];
  for (int i = 0; i < 2; ++i) {
    write(dir / "Grande_linea.txt", linea(i == 0 ? 0 : 1000));
    for (int fixture = 0; fixture < 3; ++fixture) {
      ProgramRun e;
      e.cwd = dir.path();
      e.args = {"check", "Grande_linea.txt", "Grande_1-.txt"};
      const ProgramOutcome c = run_program(e);
      ASSERT_EQ(c.status, 0) << c.err.substr(0, 3000);
      // Processor time: a machine busy with other work delays the run
      // without changing what it does.
      seconds[i] = fixture == 0 ? c.cpu_seconds : std::min(seconds[i], c.cpu_seconds);
    }
    ASSERT_EQ(compile().status, 0);
    for (int f = 0; f < 3; ++f) file[i][f] = read_bytes(dir / ("out/" + std::string(names[f])));
  }
  EXPECT_EQ(file[0][2].size(), 15u * (last_cell + 1));
  for (int f = 0; f < 3; ++f) EXPECT_TRUE(file[0][f] == file[1][f]) << f;
  // Making the plan of 1000000 m anew for each entry took seconds.
  EXPECT_LT(seconds[1], 3 * seconds[0] + 0.2)
      << seconds[0] << " s for one entry, " << seconds[1] << " s for 1001";
}

// --- diagnostics linear in their number ----------------------------------------------

// A train description of `warnings` unknown keys, then a value that cannot
// be read: the fault ends the reading, and reading on finds every warning
// again, each of which must be told apart from those already found.
std::string warnings_before_a_fault(int warnings) {
  std::string s = "[generale]\r\n";
  for (int i = 0; i < warnings; ++i) s += "velocia" + n(i) + ", " + n(i) + ", 250\r\n";
  return s + "velocita, x, 250\r\n[fine]\r\n";
}

TEST_F(BigInput, DiagnosticsTimeIsLinearInTheirNumber) {
  write(dir / "Grande_linea.txt", rows({"[generale]", "lunghezza percorso,    100000", "[fine]"}));
  constexpr int sizes[3] = {3000, 6000, 12000};
  double seconds[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    write(dir / "Grande_1-.txt", warnings_before_a_fault(sizes[i]));
    for (int fixture = 0; fixture < 3; ++fixture) {
      ProgramRun e;
      e.cwd = dir.path();
      e.args = {"check", "Grande_linea.txt", "Grande_1-.txt", "--diagnostics-format", "json"};
      const ProgramOutcome c = run_program(e);
      ASSERT_EQ(c.status, 1) << c.err.substr(0, 3000);
      if (fixture == 0) {
        // Every warning once, and the fault: none repeated by the reading on.
        const nlohmann::json j = nlohmann::json::parse(c.err);
        ASSERT_EQ(j.size(), static_cast<size_t>(sizes[i]) + 1);
        EXPECT_EQ(j.back()["code"], "E25");
        EXPECT_EQ(j.front()["code"], "W1");
        EXPECT_EQ(j[static_cast<size_t>(sizes[i]) - 1]["line"], sizes[i] + 1);
      }
      seconds[i] = fixture == 0 ? c.seconds : std::min(seconds[i], c.seconds);
    }
  }
  // Twice the diagnostics: about twice the time (a pairwise filter takes
  // four times).
  for (int i = 1; i < 3; ++i) {
    EXPECT_LT(seconds[i], 2.5 * seconds[i - 1])
        << seconds[i - 1] << " s for " << sizes[i - 1] << " warnings, " << seconds[i] << " s for "
        << sizes[i];
  }
}

}  // namespace
