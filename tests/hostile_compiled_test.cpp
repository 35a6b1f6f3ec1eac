// Compiled files made to hurt the programs that read them back (inspect and
// plot): coordinates no picture can hold, many cab codes and open-ended
// restrictions, files far larger than their kind can be, control
// characters in names, values JSON cannot write as numbers. Each run ends
// with its status within a time bound measured against a plain run, and
// leaves only the files it should.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "compiler/mark_and_encode.h"
#include "format/compiled_decode.h"  // the limits and the layouts of each kind of file
#include "tests/run_program.h"
#include "tests/support/test_dir.h"

namespace {

using namespace sc::test;
using sc::Cella;
using sc::Elemento;
using sc::Numero;
using sc::Tracciato;
namespace tipo_cella = sc::tipo_cella;

// The processor time (user and system) the children waited for have used.
double cpu_children() {
  rusage r{};
  ::getrusage(RUSAGE_CHILDREN, &r);
  const auto s = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return s(r.ru_utime) + s(r.ru_stime);
}

struct Outcome {
  ProgramOutcome e;
  double cpu;  // seconds of processor time of the run
};

Outcome run(const std::string& cwd, const std::vector<std::string>& args) {
  const double before = cpu_children();
  Outcome r{run_program(cwd, args), 0};
  r.cpu = cpu_children() - before;
  return r;
}

// The least processor time of `times` runs: a run the machine delays says
// nothing about the program.
double cpu_min(const std::string& cwd, const std::vector<std::string>& args, int times,
               int expected_status) {
  double minimo = std::numeric_limits<double>::infinity();
  for (int i = 0; i < times; ++i) {
    const Outcome r = run(cwd, args);
    EXPECT_EQ(r.e.status, expected_status) << r.e.err.substr(0, 2000);
    minimo = std::min(minimo, r.cpu);
  }
  return minimo;
}

// A scenario's three files in `dir`: `celle` cells (all empty unless
// given), the element table, the track plan.
struct Scenario {
  std::vector<Cella> celle = std::vector<Cella>(200);
  std::array<Elemento, sc::numero_elementi> elementi{};
  Tracciato plan = Tracciato(1);
  void write_in(const std::string& dir) const {
    write(dir + "/S_1.dat", sc::serializza_celle(celle));
    write(dir + "/S_1.sim", sc::serializza_elementi(elementi));
    write(dir + "/S_linea.dat", sc::serializza_tracciato(plan));
  }
};

// A plan of straight rows, x = metre, y = 0.
Tracciato straight_plan(int32_t rows) {
  Tracciato t(rows - 1);
  for (int32_t i = 0; i < rows; ++i) {
    t.column(0)[static_cast<size_t>(i)] = Numero::real(i);
    t.column(1)[static_cast<size_t>(i)] = Numero::real(0);
  }
  return t;
}

Tracciato plan_of(const std::vector<std::pair<Numero, Numero>>& rows) {
  Tracciato t(static_cast<int32_t>(rows.size()) - 1);
  for (size_t i = 0; i < rows.size(); ++i) {
    t.column(0)[i] = rows[i].first;
    t.column(1)[i] = rows[i].second;
  }
  return t;
}

const std::set<std::string> three_files = {"S_1.dat", "S_1.sim", "S_linea.dat"};

class HostileCompiled : public ::testing::Test {
 protected:
  // Plots the scenario in `dir` to out/NAME; the run and the files left.
  Outcome plot(const std::string& nome = "p.svg") {
    ::mkdir((dir / "out").c_str(), 0777);
    return run(dir.path(), {"plot", ".", "-o", "out/" + nome});
  }
  TempDir dir;
};

// Plan coordinates that a grid step cannot advance (1e20), that overflow
// the extent (+-1e308) or are infinite: the picture is drawn from the rows
// within reach, in about the time of a plain plan, and stays small.
TEST_F(HostileCompiled, PlotOfHugeOrInfiniteCoordinatesEndsSoonAndStaysSmall) {
  Scenario base;
  base.plan = straight_plan(2000);
  base.write_in(dir.path());
  const double reference = cpu_min(dir.path(), {"plot", ".", "-o", "base.svg"}, 2, 0);
  const double inf = std::numeric_limits<double>::infinity();
  const auto r = [](double v) { return Numero::real(v); };
  const struct {
    const char* test_case;
    std::vector<std::pair<Numero, Numero>> rows;
  } cases[] = {
      {"two rows at x = 1e20", {{r(1e20), r(0)}, {r(1e20), r(1)}}},
      {"rows at -1e308 and 1e308", {{r(-1e308), r(-1e308)}, {r(1e308), r(1e308)}}},
      {"infinities and NaN", {{r(inf), r(0)}, {r(-inf), r(5)}, {r(std::nan("")), r(1)}}},
      {"a plain plan with one far row",
       {{r(0), r(0)}, {r(100), r(0)}, {r(1e20), r(1e20)}, {r(300), r(50)}}},
  };
  for (const auto& c : cases) {
    for (const char* output : {"p.svg", "p.png"}) {
      SCOPED_TRACE(std::string(c.test_case) + ", " + output);
      Scenario s;
      s.plan = plan_of(c.rows);
      s.write_in(dir.path());
      std::filesystem::remove_all(dir / "out");
      const Outcome e = plot(output);
      ASSERT_EQ(e.e.status, 0) << e.e.err;
      EXPECT_LT(e.cpu, 5 * reference + 2) << "plain plan " << reference << " s";
      EXPECT_EQ(list_dir(dir / "out"), std::set<std::string>{output});
      EXPECT_LT(read_bytes(dir / "out/" + output).size(), 2000000u);
    }
  }
}

// Cab codes whose numbers are placed against the others and restriction
// starts that nothing ends: 80000 of them, more than a file can hold, are
// refused at once; the most a file holds, against half as many, take about
// twice the time, not four times. (The drawing code itself is measured on
// larger inputs in plot/plot_time_test.cpp.)
TEST_F(HostileCompiled, PlotTimeGrowsLinearlyWithCabCodesAndOpenRestrictions) {
  const auto celle_of = [](size_t n) {
    std::vector<Cella> c(n);
    for (size_t i = 0; i < n; ++i) {
      c[i].tipo = i % 2 == 0 ? tipo_cella::codice : tipo_cella::inizio_rallentamento;
      c[i].valore_1 = static_cast<int16_t>(30 + (i * 37) % 270);
      c[i].velocita = 40;
    }
    return c;
  };
  Scenario s;
  s.plan = straight_plan(1000);
  s.write_in(dir.path());
  const double reference = cpu_min(dir.path(), {"plot", ".", "-o", "p.svg"}, 2, 0);
  s.celle = celle_of(80000);
  s.write_in(dir.path());
  std::filesystem::remove(dir / "p.svg");
  const Outcome too_many = run(dir.path(), {"plot", ".", "-o", "p.svg"});
  EXPECT_EQ(too_many.e.status, 2);
  EXPECT_NE(too_many.e.err.find("S_1.dat: cells: file size 1200000 is above the 302115 bytes"),
            std::string::npos)
      << too_many.e.err;
  EXPECT_LT(too_many.cpu, 5 * reference + 0.5);
  EXPECT_EQ(list_dir(dir.path()), three_files);

  double cpu[2];
  const size_t celle[2] = {sc::max_cells / 2, sc::max_cells};
  for (int k = 0; k < 2; ++k) {
    s.celle = celle_of(celle[k]);
    s.write_in(dir.path());
    cpu[k] = cpu_min(dir.path(), {"plot", ".", "-o", "p.svg"}, 2, 0);
  }
  EXPECT_LT(cpu[1], 3 * cpu[0] + 0.05)
      << celle[0] << " cells " << cpu[0] << " s, " << celle[1] << " cells " << cpu[1] << " s";
  EXPECT_EQ(list_dir(dir.path()),
            (std::set<std::string>{"S_1.dat", "S_1.sim", "S_linea.dat", "p.svg"}));
}

// A file far larger than its kind can be (a 4 GB sparse file) is refused
// from its size, before a byte is read; so is a plan of more values than
// the longest line has, before the plan is made. Nothing is written.
TEST_F(HostileCompiled, FilesLargerThanTheirKindAreRefusedBeforeReading) {
  Scenario s;
  s.write_in(dir.path());
  const double reference = cpu_min(dir.path(), {"inspect", "S_1.dat"}, 2, 0);
  const off_t four_gb = off_t{4} << 30;
  const struct {
    const char* file;
    const char* message;
  } cases[] = {
      {"S_1.dat", "cells: file size 4294967296 is above the 302115 bytes"},
      {"S_1.sim", "element table: file size 4294967296 is above the 5704503 bytes"},
      {"S_linea.dat", "track plan: file size 4294967296 is above the 20140020 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    s.write_in(dir.path());
    ASSERT_EQ(::truncate((dir / c.file).c_str(), four_gb), 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"inspect", c.file},
          std::vector<std::string>{"plot", ".", "-o", "p.svg"}}) {
      const Outcome e = run(dir.path(), args);
      EXPECT_EQ(e.e.status, 2);
      EXPECT_NE(e.e.err.find(c.message), std::string::npos) << e.e.err;
      EXPECT_LT(e.cpu, 5 * reference + 0.5);
      EXPECT_EQ(e.e.out, "");
    }
    EXPECT_EQ(list_dir(dir.path()), three_files);
  }
  // Empty values, 2 bytes each: one more row than the longest line has is
  // refused by its count; that many rows are read.
  s.write_in(dir.path());
  const size_t rows = sc::max_plan_rows;
  write(dir / "S_linea.dat", std::string(2 * 2 * (rows + 1), '\0'));
  const Outcome too_many = run(dir.path(), {"inspect", "S_linea.dat"});
  EXPECT_EQ(too_many.e.status, 2);
  EXPECT_NE(too_many.e.err.find("more than 2014002 elements"), std::string::npos) << too_many.e.err;
  EXPECT_LT(too_many.cpu, 5 * reference + 0.5);
  write(dir / "S_linea.dat", std::string(2 * 2 * rows, '\0'));
  const Outcome right = run(dir.path(), {"inspect", "--json", "--every", "500000", "S_linea.dat"});
  EXPECT_EQ(right.e.status, 0) << right.e.err;
  EXPECT_NE(right.e.out.find("\"rows\": 1007001"), std::string::npos) << right.e.out.substr(0, 500);
  EXPECT_EQ(list_dir(dir.path()), three_files);
}

// Names are shown as text a terminal cannot take as commands: escape
// sequences, bells and the bytes that would become C1 controls are written
// as \xNN, a backslash doubled. The JSON keeps them as JSON escapes;
// decompile's messages escape them too.
TEST_F(HostileCompiled, ControlCharactersOfNamesAreEscapedByInspectAndDecompile) {
  Scenario s;
  s.elementi[1].nome = "A\x1b[2JB\x07";
  s.elementi[1].inizio = 100;
  s.elementi[80].nome = "board\r\nfake line";
  s.elementi[85].nome = std::string("N\x9d\\\0Z", 5);
  s.write_in(dir.path());
  const Outcome e = run(dir.path(), {"inspect", "S_1.sim"});
  ASSERT_EQ(e.e.status, 0) << e.e.err;
  for (const char* expected :
       {"A\\x1b[2JB\\x07", "board\\x0d\\x0afake line", "nome_scenario \"N\\x9d\\\\\\x00Z\""}) {
    EXPECT_NE(e.e.out.find(expected), std::string::npos) << expected << "\n" << e.e.out;
  }
  for (const char* forbidden : {"\x1b", "\x07", "\r", "\xc2\x9d"}) {
    EXPECT_EQ(e.e.out.find(forbidden), std::string::npos) << static_cast<int>(forbidden[0]);
  }
  const Outcome j = run(dir.path(), {"inspect", "--json", "S_1.sim"});
  ASSERT_EQ(j.e.status, 0) << j.e.err;
  EXPECT_NE(j.e.out.find("\"A\\u001b[2JB\\u0007\""), std::string::npos);

  // decompile quotes the scenario name it cannot use in its message.
  s.elementi[85].nome = "A/\x1b[31mX";
  s.elementi[86].nome = "1";
  s.write_in(dir.path());
  const Outcome d = run(dir.path(), {"decompile", "S_1.dat", "S_1.sim", "--out", "dec"});
  EXPECT_EQ(d.e.status, 1);
  EXPECT_NE(d.e.err.find("the scenario name \"A/\\x1b[31mX\" and train number \"1\""),
            std::string::npos)
      << d.e.err;
  EXPECT_EQ(d.e.err.find('\x1b'), std::string::npos);
  EXPECT_EQ(list_dir(dir.path()), three_files);
}

// NaN and the infinities are named in the JSON, apart from an empty value.
TEST_F(HostileCompiled, InspectJsonTellsNaNAndInfinitiesFromEmptyValues) {
  Scenario s;
  const double inf = std::numeric_limits<double>::infinity();
  s.plan = plan_of({{Numero::real(std::nan("")), Numero::real(inf)},
                    {Numero::real(-inf), Numero{}},
                    {Numero::integer(-3), Numero::real(2.5)}});
  s.write_in(dir.path());
  const Outcome e = run(dir.path(), {"inspect", "--json", "S_linea.dat"});
  ASSERT_EQ(e.e.status, 0) << e.e.err;
  EXPECT_NE(
      e.e.out.find("    [0,\"NaN\",\"Infinity\"],\n    [1,\"-Infinity\",null],\n    [2,-3,2.5]\n"),
      std::string::npos)
      << e.e.out;
}

// A picture into a folder that does not exist names the folder; nothing
// is created.
TEST_F(HostileCompiled, PlotNamesAMissingOutputFolder) {
  Scenario s;
  s.write_in(dir.path());
  const Outcome e = run(dir.path(), {"plot", ".", "-o", "missing/x.svg"});
  EXPECT_EQ(e.e.status, 4);
  EXPECT_NE(e.e.err.find("the folder missing does not exist"), std::string::npos) << e.e.err;
  EXPECT_EQ(list_dir(dir.path()), three_files);
}

// A station name wider than the profile, and the extent of a plan shown by
// inspect: both once undefined (a clamp with its bounds reversed, a
// reference to an unaligned packed value), which the sanitizer build,
// with the library's assertions, stops on.
TEST_F(HostileCompiled, WideStationNameAndPlanSummaryAreDrawnAndShown) {
  Scenario s;
  s.elementi[1].nome = std::string(3000, 'W');
  s.elementi[1].progressiva = 5000;
  s.elementi[1].inizio = 4900;
  s.elementi[1].fine = 5100;
  s.plan = straight_plan(6000);
  s.write_in(dir.path());
  const Outcome p = plot("wide.png");
  EXPECT_EQ(p.e.status, 0) << p.e.err;
  EXPECT_EQ(list_dir(dir / "out"), std::set<std::string>{"wide.png"});
  const Outcome i = run(dir.path(), {"inspect", "--every", "1000", "S_linea.dat"});
  EXPECT_EQ(i.e.status, 0) << i.e.err;
  EXPECT_NE(i.e.out.find("x from 0.0 to 5999.0 m, y from 0.0 to 0.0 m"), std::string::npos)
      << i.e.out.substr(0, 400);
}

}  // namespace
