// compile --watch and check --watch: the program keeps running, compiles
// again on every save of a description and prints each result with a
// timestamp; a fault never ends it, Ctrl-C does, with status 0.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
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

// What takes a description's place, or its folder's, while a compile
// watches: a file that is not a regular one is refused with the last
// compiled files kept and never blocks the watch; a folder replaced by a
// copy is watched again.
TEST_F(Watch, OddFilesAndAReplacedFolder) {
  namespace fs = std::filesystem;
  const std::string in_folder = "s/" + treno_txt;
  const struct {
    const char* what;
    std::function<void(const std::string& s)> change;  // `s`: the folder of the descriptions
    const char* message;                               // on standard error
    const char* outcome;  // the closing line of the run the change starts
  } cases[] = {
      {"a link to /dev/zero",
       [](const std::string& s) {
         fs::create_symlink("/dev/zero", s + "/link");
         fs::rename(s + "/link", s + "/" + treno_txt);
       },
       "\"s/Corvale_Pravena AV_409-.txt\" is not a regular file",
       "a description cannot be read; watching"},
      {"a FIFO",
       [](const std::string& s) {
         ASSERT_EQ(::mkfifo((s + "/fifo").c_str(), 0644), 0);
         fs::rename(s + "/fifo", s + "/" + treno_txt);
       },
       "\"s/Corvale_Pravena AV_409-.txt\" is not a regular file",
       "a description cannot be read; watching"},
      {"the folder replaced by a copy",
       [](const std::string& s) {
         fs::rename(s, s + ".old");
         fs::copy(s + ".old", s);
       },
       nullptr, "compiled without fault; watching"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir d;
    fs::create_directory(d / "s");
    for (const std::string& f : {linea_txt, treno_txt}) fs::copy_file(dir / f, d / ("s/" + f));
    RunningProcess p(SC_PROGRAM,
                     {"compile", "--watch", "s/" + linea_txt, in_folder, "--out", "bin"}, d.path());
    ASSERT_TRUE(p.wait_out("compiled without fault; watching")) << p.out() << p.err();
    const Contents compiled = contents(d / "bin");

    c.change(d / "s");
    ASSERT_TRUE(p.wait_out(c.outcome, c.message ? 1 : 2)) << p.out() << p.err();
    if (c.message) {
      EXPECT_NE(p.err().find(c.message), std::string::npos) << p.err();
    }
    EXPECT_EQ(contents(d / "bin"), compiled);  // the last good files stay

    // The watch goes on, on the description now at that name: a fault in
    // it is found.
    std::string damaged = read_bytes(dir / treno_txt);
    replace(damaged, "segnale,    7500,", "segnale,    3500,");
    fs::remove(d / in_folder);
    write(d / in_folder, damaged);
    ASSERT_TRUE(p.wait_out("faults, listed above")) << p.out() << p.err();
    p.segnale(SIGINT);
    EXPECT_EQ(p.end(), 0);
  }
}

}  // namespace
