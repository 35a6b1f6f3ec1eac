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

// Files of a compile that stopped at a fault (a signal on a taken cell:
// nothing after it placed, no speed from 1500 m on) are told as such, never
// as damaged, and give back descriptions of what they kept.
TEST_F(Decompile, FilesOfACompileStoppedAtAFaultAreNotCalledDamaged) {
  std::string treno = read_bytes(dir / ("src/" + treno_txt));
  replace(treno, "segnale,    7500,", "segnale,    3500,");
  write(dir / ("src/" + treno_txt), treno);
  const Outcome c = run_program(dir / "src", {"compile", linea_txt, treno_txt, "--out", "../bad"});
  ASSERT_EQ(c.status, 1) << c.err;
  const Outcome d = run_program(dir.path(), {"decompile", "bad", "--out", "dec"});
  EXPECT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(d.err.find("damaged"), std::string::npos) << d.err;
  EXPECT_NE(d.out.find("The cells hold no speed from 1500 m (1.500 km) to the end, as the files "
                       "of a compile that stopped at a fault do"),
            std::string::npos)
      << d.out;
  // What the files kept: the signal before the fault, none after it.
  const std::string back = read_bytes(dir / ("dec/" + treno_txt));
  EXPECT_NE(back.find("segnale,    3500,"), std::string::npos);
  EXPECT_EQ(back.find("segnale,    9500,"), std::string::npos);

  // The embedded run's files hold speeds to the end: no such line.
  const Outcome whole = run_program(dir.path(), {"decompile", "bin", "--out", "whole"});
  EXPECT_EQ(whole.out.find("stopped at a fault"), std::string::npos) << whole.out;
}

// Compiled without a track plan: both descriptions all the same, the
// curves said to be unknown, and the descriptions compile back without a
// plan to the same two files.
TEST_F(Decompile, WithoutATrackPlanTheCurvesAreSaidUnknown) {
  ASSERT_EQ(
      run_program(dir / "src", {"compile", linea_txt, treno_txt, "--no-plan", "--out", "../m0"})
          .status,
      0);
  const Outcome d = run_program(dir.path(), {"decompile", "m0", "--out", "dec"});
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_NE(d.out.find("No track plan was given, so the curves are unknown"), std::string::npos)
      << d.out;
  const std::string linea = read_bytes(dir / ("dec/" + linea_txt));
  EXPECT_NE(linea.find("[curve]\r\n-- no track plan was compiled: the curves are unknown --\r\n"
                       "[pendenze]"),
            std::string::npos)
      << linea;
  const Outcome c = run_program(dir / "dec", {"compile", linea_txt, treno_txt, "--no-plan"});
  ASSERT_EQ(c.status, 0) << c.err;
  EXPECT_EQ(c.err, "");
  for (const std::string& f : {sim, dat})
    EXPECT_TRUE(read_bytes(dir / ("dec/" + f)) == read_bytes(dir / ("m0/" + f))) << f;
  EXPECT_FALSE(fs::exists(dir / ("dec/" + linea_dat)));

  // diff: the descriptions against the files compiled without a plan are
  // the same; files with a plan against files without one tell it.
  const Outcome same = run_program(dir.path(), {"diff", "m0", "dec"});
  EXPECT_EQ(same.status, 0) << same.out << same.err;
  EXPECT_EQ(same.out, "");
  const Outcome plan = run_program(dir.path(), {"diff", "bin", "m0"});
  EXPECT_EQ(plan.status, 1) << plan.err;
  EXPECT_EQ(plan.out,
            "track plan: removed: curves not compared: the newer version was compiled without a "
            "track plan\n");
}

}  // namespace
