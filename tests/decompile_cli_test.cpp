// decompile run as a user would: the compiled files of the embedded run
// back to descriptions that compile to the same files.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/run_program.h"
#include "tests/support/test_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace sc::test;
using namespace sc::test::file_scenario;
using Outcome = ProgramOutcome;

// A working directory with the embedded run's compiled files in "bin".
class Decompile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(run_program(dir.path(), {"export", "--out", "src"}).status, 0);
    const Outcome c =
        run_program(dir / "src", {"compile", linea_txt, treno_txt, "--out", "../bin"});
    ASSERT_EQ(c.status, 0) << c.err;
  }
  TempDir dir;
};

TEST_F(Decompile, DescriptionsCompileToTheSameFiles) {
  const Outcome d = run_program(dir.path(), {"decompile", "bin", "--out", "dec"});
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(d.err, "");
  EXPECT_EQ(d.out.substr(0, d.out.find("They")),
            "wrote dec/" + linea_txt + "\nwrote dec/" + treno_txt + "\n");
  const Outcome c = run_program(dir / "dec", {"compile", linea_txt, treno_txt});
  ASSERT_EQ(c.status, 0) << c.err;
  for (const std::string& f : {linea_dat, sim, dat}) {
    EXPECT_TRUE(read_bytes(dir / ("dec/" + f)) == read_bytes(dir / ("bin/" + f))) << f;
  }

  // An existing description is replaced only with --force.
  const Outcome again = run_program(dir.path(), {"decompile", "bin", "--out", "dec"});
  EXPECT_EQ(again.status, 4);
  EXPECT_NE(again.err.find("already exists"), std::string::npos) << again.err;
  EXPECT_EQ(run_program(dir.path(), {"decompile", "bin", "--out", "dec", "--force"}).status, 0);

  // Without the track plan: descriptions for a compile without one.
  const Outcome without = run_program(dir / "bin", {"decompile", sim, dat, "--out", "../nop"});
  EXPECT_EQ(without.status, 0) << without.err;
  EXPECT_NE(without.out.find("--no-plan"), std::string::npos) << without.out;
}

TEST_F(Decompile, DamagedCellIsNamedAndWhatCanBeIsWritten) {
  std::string celle = read_bytes(dir / ("bin/" + dat));
  celle.at(500 * 15) = 9;  // cell 500 given an element type no entry places
  write(dir / ("bin/" + dat), celle);
  const Outcome d = run_program(dir.path(), {"decompile", "bin", "--out", "dec"});
  EXPECT_EQ(d.status, 1);
  EXPECT_NE(d.err.find("scenario-compiler: cell 500 (25000 m): tipo 9 is explained by no entry"),
            std::string::npos)
      << d.err;
  EXPECT_NE(
      d.err.find(
          "cells file: byte 7500 (cell 500 (25000 m), tipo) is 0x09 in the input, 0x00 compiled"),
      std::string::npos)
      << d.err;
  EXPECT_TRUE(fs::exists(dir / ("dec/" + linea_txt)));
  EXPECT_TRUE(fs::exists(dir / ("dec/" + treno_txt)));

  // A file without the layout of its kind: named, status 2, nothing written.
  write(dir / ("bin/" + sim), "short");
  const Outcome r = run_program(dir.path(), {"decompile", "bin", "--out", "rotto"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(sim), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "rotto"));
}

}  // namespace
