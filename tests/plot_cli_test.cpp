// plot as an author runs it: the files of a compile that stopped at a fault
// are drawn with a warning, files of two scenarios are refused.
#include <gtest/gtest.h>

#include "tests/esegui_programma.h"
#include "tests/support/test_dir.h"

namespace {

using namespace sc::test;
using namespace sc::test::file_scenario;

TEST(PlotCli, WarnsOfAStoppedCompileAndRefusesFilesOfTwoScenarios) {
  TempDir dir;
  ASSERT_EQ(esegui_programma(dir.path(), {"export"}).stato, 0);
  std::string t = leggi(dir / treno_txt);
  sostituisci(t, "segnale,    7500,", "segnale,    3500,");
  scrivi(dir / treno_txt, t);
  ASSERT_EQ(esegui_programma(dir.path(), {"compile", linea_txt, treno_txt}).stato, 1);

  const EsitoProgramma p = esegui_programma(dir.path(), {"plot", ".", "-o", "s.svg"});
  EXPECT_EQ(p.stato, 0) << p.err;
  EXPECT_EQ(p.err,
            "scenario-compiler: warning: the files come from a compile that stopped at a fault: no speed from "
            "1.5 km on, and nothing after the fault is placed; the picture marks it\n");
  EXPECT_NE(leggi(dir / "s.svg").find(">compile stopped at a fault</text>"), std::string::npos);

  ASSERT_EQ(esegui_programma(dir.path(), {"compile", linea_txt, treno_txt, "--name", "Altro", "--train", "7",
                                          "--out", "altro"})
                .stato,
            1);
  const EsitoProgramma m =
      esegui_programma(dir.path(), {"plot", "altro/Altro_7.dat", sim, linea_dat, "-o", "m.png"});
  EXPECT_EQ(m.stato, 2);
  EXPECT_EQ(m.err.rfind("scenario-compiler: the files are not of one scenario: Altro_7.dat and " + sim, 0), 0u)
      << m.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "m.png"));
}

}  // namespace
