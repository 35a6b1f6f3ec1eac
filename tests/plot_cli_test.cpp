// plot as an author runs it: the files of a compile that stopped at a fault
// are drawn with a warning, files of two scenarios are refused.
#include <gtest/gtest.h>

#include "tests/run_program.h"
#include "tests/support/test_dir.h"

namespace {

using namespace sc::test;
using namespace sc::test::file_scenario;

TEST(PlotCli, WarnsOfAStoppedCompileAndRefusesFilesOfTwoScenarios) {
  TempDir dir;
  ASSERT_EQ(run_program(dir.path(), {"export"}).status, 0);
  std::string t = read_bytes(dir / treno_txt);
  replace(t, "segnale,    7500,", "segnale,    3500,");
  write(dir / treno_txt, t);
  ASSERT_EQ(run_program(dir.path(), {"compile", linea_txt, treno_txt}).status, 1);

  const ProgramOutcome p = run_program(dir.path(), {"plot", ".", "-o", "s.svg"});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.err,
            "scenario-compiler: warning: the files come from a compile that stopped at a fault: no "
            "speed from "
            "1.5 km on, and nothing after the fault is placed; the picture marks it\n");
  EXPECT_NE(read_bytes(dir / "s.svg").find(">compile stopped at a fault</text>"),
            std::string::npos);

  ASSERT_EQ(run_program(dir.path(), {"compile", linea_txt, treno_txt, "--name", "Altro", "--train",
                                     "7", "--out", "altro"})
                .status,
            1);
  const ProgramOutcome m =
      run_program(dir.path(), {"plot", "altro/Altro_7.dat", sim, linea_dat, "-o", "m.png"});
  EXPECT_EQ(m.status, 2);
  EXPECT_EQ(m.err.rfind(
                "scenario-compiler: the files are not of one scenario: Altro_7.dat and " + sim, 0),
            0u)
      << m.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "m.png"));
}

}  // namespace
