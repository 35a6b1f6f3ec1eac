// scenario-compiler copied alone, or with only some of its helper programs:
// the embedded run needs none of them (its status window falls back to
// standard error), the commands of to helper name the helper they miss, and
// helpers are found beside the program or in PREFIX/libexec/scenario-compiler.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/run_program.h"
#include "tests/support/test_dir.h"
#include "tests/support/xvfb.h"

namespace {

namespace fs = std::filesystem;
using namespace sc::test;

const std::string program_name = "scenario-compiler";
const std::string run_helper_name = "scenario-compiler-run";

void copy_program(const std::string& from, const std::string& to) {
  fs::create_directories(fs::path(to).parent_path());
  fs::copy_file(from, to);
  fs::permissions(to, fs::perms(0755));
}

// The embedded run of the program at `exe`, started in another directory;
// `display` set as DISPLAY unless empty.
ProgramOutcome run_embedded(const std::string& exe, const std::string& display) {
  TempDir work;
  ProgramRun x;
  x.cwd = work.path();
  x.program = exe;
  x.limit = std::chrono::seconds(60);
  if (!display.empty()) x.env = {{"DISPLAY", display}};
  return run_program(x);
}

// What to run leaves beside the program, the programs left out.
Contents run_files(const TempDir& dir) {
  Contents m = contents(dir.path());
  m.erase(program_name);
  m.erase(run_helper_name);
  return m;
}

// The files of the full build's run: the program with its run helper, no
// display.
const Contents& full_build_files() {
  static const Contents files = [] {
    TempDir dir;
    copy_program(SC_PROGRAM, dir / program_name);
    copy_program(SC_PROGRAM_RUN, dir / run_helper_name);
    const ProgramOutcome e = run_embedded(dir / program_name, "");
    EXPECT_EQ(e.status, 0) << e.err;
    return run_files(dir);
  }();
  return files;
}

class LoneProgram : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (ServerXvfb::installed()) server_ = std::make_unique<ServerXvfb>("640x480x24");
  }
  static void TearDownTestSuite() { server_.reset(); }

  // The display of the suite's Xvfb; skips the test without one.
  static std::string display() {
    if (!server_) return "";
    EXPECT_TRUE(server_->errore().empty()) << server_->errore();
    return server_->display();
  }

  static inline std::unique_ptr<ServerXvfb> server_;
};

TEST_F(LoneProgram, WithoutADisplayTheProgramAloneWritesTheFullBuildsFiles) {
  TempDir dir;
  copy_program(SC_PROGRAM, dir / program_name);
  const ProgramOutcome e = run_embedded(dir / program_name, "");
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(e.err, "Attendere\n");
  EXPECT_EQ(e.out, "");
  // The three documents and the three compiled files, byte for byte.
  const Contents files = run_files(dir);
  EXPECT_EQ(files.size(), 6u);
  EXPECT_EQ(files, full_build_files());
}

// With to display, the status window's helper missing or failing: one line
// saying so, then the run as without to display.
TEST_F(LoneProgram, WithADisplayAMissingOrFailingWindowHelperIsOneLineAndTheRunGoesOn) {
  if (!ServerXvfb::installed()) GTEST_SKIP() << ServerXvfb::program << " is not installed";
  const std::string d = display();
  ASSERT_FALSE(d.empty());
  struct Case {
    const char* name;
    const char* helper;  // the script put in the helper's place, or nullptr for none
    std::string notice;  // the notice, after "DIR/"
  };
  const std::vector<Case> cases{
      {"missing", nullptr, ""},
      {"ends at once", "#!/bin/sh\nexit 0\n", "scenario-compiler-run\" did not start"},
      {"answers nonsense", "#!/bin/sh\necho hello\nsleep 1\n",
       "scenario-compiler-run\" did not start"},
      {"stops after starting", "#!/bin/sh\necho ready\n",
       "scenario-compiler-run\" stopped answering"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    copy_program(SC_PROGRAM, dir / program_name);
    if (c.helper) {
      std::ofstream(dir / run_helper_name) << c.helper;
      fs::permissions(dir / run_helper_name, fs::perms(0755));
    }
    const ProgramOutcome e = run_embedded(dir / program_name, d);
    EXPECT_EQ(e.status, 0) << e.err;
    const std::string notice =
        c.helper ? "scenario-compiler: the status window's helper program \"" + dir.path() + "/" +
                       c.notice + "; the status goes to standard error\n"
                 : "scenario-compiler: the status window needs the helper program "
                   "\"scenario-compiler-run\", "
                   "which was not found beside " +
                       dir.path() + " or in " + fs::path(dir.path()).parent_path().string() +
                       "/libexec/scenario-compiler; build it with \"make build\" or install the "
                       "program\n";
    EXPECT_EQ(e.err, notice + "Attendere\n");
    EXPECT_EQ(run_files(dir), full_build_files());
  }
}

TEST_F(LoneProgram, WithADisplayAndItsHelperTheStatusIsAWindowAndNotAText) {
  if (!ServerXvfb::installed()) GTEST_SKIP() << ServerXvfb::program << " is not installed";
  const std::string d = display();
  ASSERT_FALSE(d.empty());
  TempDir dir;
  copy_program(SC_PROGRAM, dir / program_name);
  copy_program(SC_PROGRAM_RUN, dir / run_helper_name);
  const ProgramOutcome e = run_embedded(dir / program_name, d);
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(e.err, "");
  EXPECT_EQ(run_files(dir), full_build_files());
}

// inspect's helper: beside the program, in the installed helper folder, or
// missing (to usage fault naming both places).
TEST_F(LoneProgram, AHelperIsFoundBesideTheProgramOrInTheInstalledHelperFolder) {
  struct Case {
    const char* name;
    const char* helper;  // where it is put, under the prefix; nullptr: nowhere
    bool found;
  };
  for (const Case& c :
       {Case{"beside", "bin/scenario-compiler-inspect", true},
        Case{"installed", "libexec/scenario-compiler/scenario-compiler-inspect", true},
        Case{"in the wrong folder", "libexec/scenario-compiler-inspect", false},
        Case{"missing", nullptr, false}}) {
    SCOPED_TRACE(c.name);
    TempDir prefix;
    copy_program(SC_PROGRAM, prefix / "bin/scenario-compiler");
    if (c.helper) copy_program(std::string(SC_PROGRAM) + "-inspect", prefix / c.helper);
    TempDir work;
    ProgramRun x;
    x.cwd = work.path();
    x.program = prefix / "bin/scenario-compiler";
    x.args = {"inspect", "missing.dat"};
    const ProgramOutcome e = run_program(x);
    EXPECT_EQ(e.status, 2);
    if (c.found) {
      // The helper ran: its own complaint about the files.
      EXPECT_NE(e.err.find("missing.dat"), std::string::npos) << e.err;
      EXPECT_EQ(e.err.find("needs the helper program"), std::string::npos) << e.err;
    } else {
      EXPECT_EQ(
          e.err,
          "scenario-compiler: inspect needs the helper program \"scenario-compiler-inspect\", "
          "which was not found beside " +
              prefix / "bin" + " or in " + prefix / "libexec/scenario-compiler" +
              "; build it with \"make build\" or install the program\n");
    }
  }
}

// --help and --version of every command need none of its positionals;
// --version prints the program's own.
TEST(Commands, HelpAndVersionNeedNoOtherArgument) {
  TempDir work;
  const ProgramOutcome version = run_program(work.path(), {"--version"});
  ASSERT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out.rfind("scenario-compiler ", 0), 0u) << version.out;
  for (const char* layout :
       {"track plan (NAME_linea.dat): layout 1", "element table (NAME_NUMBER.sim): layout 1",
        "cells (NAME_NUMBER.dat): layout 1"})
    EXPECT_NE(version.out.find(layout), std::string::npos) << version.out;
  for (const char* command :
       {"export", "compile", "check", "inspect", "plot", "view", "explain", "decompile"}) {
    for (const char* option : {"--version", "--help"}) {
      SCOPED_TRACE(std::string(command) + " " + option);
      const ProgramOutcome e = run_program(work.path(), {command, option});
      EXPECT_EQ(e.status, 0) << e.err;
      EXPECT_EQ(e.err, "");
      if (std::string(option) == "--version") {
        EXPECT_EQ(e.out, version.out);
      } else {
        EXPECT_NE(e.out.find(command), std::string::npos) << e.out;
      }
    }
  }
}

}  // namespace
