// decompile run as a user would: the compiled files of the embedded run
// back to descriptions that compile to the same files.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_dir.h"
#include "tests/esegui_programma.h"

namespace {

namespace fs = std::filesystem;
using namespace sc::test;
using namespace sc::test::file_scenario;
using Esito = EsitoProgramma;

// A working directory with the embedded run's compiled files in "bin".
class Decompile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(esegui_programma(dir.path(), {"export", "--out", "src"}).stato, 0);
    const Esito c = esegui_programma(dir / "src", {"compile", linea_txt, treno_txt, "--out", "../bin"});
    ASSERT_EQ(c.stato, 0) << c.err;
  }
  TempDir dir;
};

TEST_F(Decompile, DescriptionsCompileToTheSameFiles) {
  const Esito d = esegui_programma(dir.path(), {"decompile", "bin", "--out", "dec"});
  ASSERT_EQ(d.stato, 0) << d.err;
  EXPECT_EQ(d.err, "");
  EXPECT_EQ(d.out.substr(0, d.out.find("They")),
            "wrote dec/" + linea_txt + "\nwrote dec/" + treno_txt + "\n");
  const Esito c = esegui_programma(dir / "dec", {"compile", linea_txt, treno_txt});
  ASSERT_EQ(c.stato, 0) << c.err;
  for (const std::string& f : {linea_dat, sim, dat}) {
    EXPECT_TRUE(leggi(dir / ("dec/" + f)) == leggi(dir / ("bin/" + f))) << f;
  }

  // An existing description is replaced only with --force.
  const Esito ancora = esegui_programma(dir.path(), {"decompile", "bin", "--out", "dec"});
  EXPECT_EQ(ancora.stato, 4);
  EXPECT_NE(ancora.err.find("already exists"), std::string::npos) << ancora.err;
  EXPECT_EQ(esegui_programma(dir.path(), {"decompile", "bin", "--out", "dec", "--force"}).stato, 0);

  // Without the track plan: descriptions for a compile without one.
  const Esito senza = esegui_programma(dir / "bin", {"decompile", sim, dat, "--out", "../nop"});
  EXPECT_EQ(senza.stato, 0) << senza.err;
  EXPECT_NE(senza.out.find("--no-plan"), std::string::npos) << senza.out;
}

TEST_F(Decompile, DamagedCellIsNamedAndWhatCanBeIsWritten) {
  std::string celle = leggi(dir / ("bin/" + dat));
  celle.at(500 * 15) = 9;  // cell 500 given an element type no entry places
  scrivi(dir / ("bin/" + dat), celle);
  const Esito d = esegui_programma(dir.path(), {"decompile", "bin", "--out", "dec"});
  EXPECT_EQ(d.stato, 1);
  EXPECT_NE(d.err.find("scenario-compiler: cell 500 (25000 m): tipo 9 is explained by no entry"), std::string::npos)
      << d.err;
  EXPECT_NE(d.err.find("cells file: byte 7500 (cell 500 (25000 m), tipo) is 0x09 in the input, 0x00 compiled"),
            std::string::npos)
      << d.err;
  EXPECT_TRUE(fs::exists(dir / ("dec/" + linea_txt)));
  EXPECT_TRUE(fs::exists(dir / ("dec/" + treno_txt)));

  // A file without the layout of its kind: named, status 2, nothing written.
  scrivi(dir / ("bin/" + sim), "short");
  const Esito r = esegui_programma(dir.path(), {"decompile", "bin", "--out", "rotto"});
  EXPECT_EQ(r.stato, 2);
  EXPECT_NE(r.err.find(sim), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "rotto"));
}

}  // namespace
