// compile --watch and check --watch: the program keeps running, compiles
// again on every save of a description and prints each result with a
// timestamp; a fault never ends it, Ctrl-C does, with status 0.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tests/run_program.h"
#include "tests/support/running_process.h"
#include "tests/support/test_dir.h"

namespace {

using namespace sc::test;
using namespace sc::test::file_scenario;

class Watch : public ::testing::Test {
 protected:
  void SetUp() override {
    const ProgramOutcome e = run_program(dir.path(), {"export"});
    ASSERT_EQ(e.status, 0) << e.err;
  }
  // Saves `text` as an editor that writes a new file and renames it does.
  void save_by_renaming(const std::string& nome, const std::string& text) {
    write(dir / (nome + ".swp"), text);
    std::filesystem::rename(dir / (nome + ".swp"), dir / nome);
  }
  TempDir dir;
};

TEST_F(Watch, CheckReportsEachSaveAndEndsWithStatusZeroOnInterrupt) {
  const std::string good = read_bytes(dir / treno_txt);
  std::string damaged = good;
  replace(damaged, "segnale,    7500,", "segnale,    3500,");

  RunningProcess p(SC_PROGRAM, {"check", "--watch", linea_txt, treno_txt}, dir.path());
  ASSERT_TRUE(p.wait_out("no fault; watching for changes (Ctrl-C ends)")) << p.out() << p.err();
  EXPECT_TRUE(std::regex_search(p.out(), std::regex(R"(^\[\d\d:\d\d:\d\d\] no fault; watching)")));

  save_by_renaming(treno_txt, damaged);  // a fault: reported, the watch goes on
  ASSERT_TRUE(p.wait_out("faults, listed above")) << p.out() << p.err();
  EXPECT_NE(p.err().find("18:13: error: signal cell 71 already holds a signal (at 3500 m) [E16]"),
            std::string::npos)
      << p.err();

  write(dir / treno_txt, good);  // written in place this time
  ASSERT_TRUE(p.wait_out("no fault; watching", 2)) << p.out();
  EXPECT_EQ(RunningProcess::count(p.out(), "watching for changes"), 3) << p.out();
  EXPECT_EQ(RunningProcess::count(p.err(), "[E16]"), 1);
  // check writes nothing
  EXPECT_FALSE(std::filesystem::exists(dir / dat));

  p.segnale(SIGINT);
  EXPECT_EQ(p.end(), 0);
  EXPECT_NE(p.out().find("] stopped\n"), std::string::npos) << p.out();
}

TEST_F(Watch, CompileWaitsForAMissingDescriptionThenWritesTheFiles) {
  const std::string treno = read_bytes(dir / treno_txt);
  std::filesystem::remove(dir / treno_txt);

  RunningProcess p(SC_PROGRAM, {"compile", "--watch", linea_txt, treno_txt, "--out", "bin"},
                   dir.path());
  ASSERT_TRUE(p.wait_out("a description cannot be read; watching")) << p.out() << p.err();
  EXPECT_NE(p.err().find("cannot read"), std::string::npos) << p.err();
  // An unrelated file in the same directory starts no run.
  write(dir / "appunti.txt", "x");
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(RunningProcess::count(p.out(), "watching"), 1) << p.out();

  save_by_renaming(treno_txt, treno);
  ASSERT_TRUE(p.wait_out("compiled without fault; watching")) << p.out() << p.err();
  EXPECT_NE(p.out().find("wrote bin/" + dat), std::string::npos) << p.out();
  EXPECT_TRUE(std::filesystem::exists(dir / ("bin/" + dat)));

  p.segnale(SIGTERM);
  EXPECT_EQ(p.end(), 0);
}

TEST_F(Watch, AnIdentityThatCannotBeToldEndsAtOnce) {
  std::filesystem::copy_file(dir / treno_txt, dir / "t.txt");
  RunningProcess p(SC_PROGRAM, {"check", "--watch", linea_txt, "t.txt"}, dir.path());
  EXPECT_EQ(p.end(), 2);
  EXPECT_NE(p.err().find("cannot tell the train number"), std::string::npos) << p.err();
}

}  // namespace
