// compile, check, export and the embedded run run in a process that loads
// none of the window (FLTK, X11), drawing (Cairo) or JSON code; inspect,
// plot and the run's status window load theirs in a helper program. The
// dynamic loader's own record (LD_DEBUG=libs) names every shared library a
// process loads, including the helper program it hands over to or starts,
// each line after the number of the process that loads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/run_program.h"
#include "tests/support/test_dir.h"
#include "tests/support/xvfb.h"

namespace {

using namespace sc::test;
using namespace sc::test::file_scenario;

const std::vector<std::string> graphics_libraries{"libfltk", "libX11", "libcairo"};

ProgramOutcome with_library_log(const std::string& cwd, std::vector<std::string> args) {
  ProgramRun e;
  e.args = std::move(args);
  e.cwd = cwd;
  e.env = {{"LD_DEBUG", "libs"}};
  return run_program(e);
}

bool loaded(const ProgramOutcome& e, const std::string& library) {
  return e.err.find("find library=" + library) != std::string::npos;
}

TEST(Libraries, CompileCheckAndExportLoadNoWindowDrawingOrJsonLibrary) {
  TempDir dir;
  const ProgramOutcome x = with_library_log(dir.path(), {"export"});
  ASSERT_EQ(x.status, 0) << x.err;
  ASSERT_TRUE(loaded(x, "libc.so")) << "the loader's record is missing:\n" << x.err;

  const ProgramOutcome c = with_library_log(dir.path(), {"compile", linea_txt, treno_txt});
  ASSERT_EQ(c.status, 0) << c.err;
  const ProgramOutcome k = with_library_log(dir.path(), {"check", linea_txt, treno_txt});
  ASSERT_EQ(k.status, 0) << k.err;
  for (const ProgramOutcome* e : {&x, &c, &k}) {
    for (const std::string& l : graphics_libraries)
      EXPECT_FALSE(loaded(*e, l)) << l << " loaded:\n" << e->err;
  }
  // The JSON code is compiled into the program that uses it: none of it in
  // the main program, all of it in inspect's helper.
  EXPECT_EQ(read_bytes(SC_PROGRAM).find("nlohmann"), std::string::npos);
  EXPECT_NE(read_bytes(std::string(SC_PROGRAM) + "-inspect").find("nlohmann"), std::string::npos);
}

// The libraries each process loads, by the number of the process in the
// loader's record; the first process named is the program started.
struct LibrariesByProcess {
  std::string first;
  std::map<std::string, std::set<std::string>> libraries;
};

LibrariesByProcess by_process(const std::string& record) {
  LibrariesByProcess r;
  std::istringstream in(record);
  const std::string key = "find library=";
  for (std::string line; std::getline(in, line);) {
    const size_t colon = line.find(':'), l = line.find(key);
    if (colon == std::string::npos || l == std::string::npos) continue;
    std::string pid = line.substr(0, colon);
    pid.erase(0, pid.find_first_not_of(' '));
    if (r.first.empty()) r.first = pid;
    const size_t end = line.find_first_of(" ;", l + key.size());
    r.libraries[pid].insert(line.substr(l + key.size(), end - l - key.size()));
  }
  return r;
}

bool loads(const std::set<std::string>& libraries, const std::string& prefix) {
  for (const std::string& l : libraries)
    if (l.rfind(prefix, 0) == 0) return true;
  return false;
}

TEST(Libraries, PlotAndTheRunsWindowLoadTheirLibrariesInTheirHelperPrograms) {
  TempDir dir;
  const ProgramOutcome p = with_library_log(dir.path(), {"plot", dir.path(), "-o", dir / "x.svg"});
  EXPECT_EQ(p.status, 2);  // no scenario in the directory
  EXPECT_TRUE(loaded(p, "libcairo")) << p.err;
  EXPECT_FALSE(loaded(p, "libfltk"));

  // Without a display the run starts no helper and loads no window library.
  const ProgramOutcome r = with_library_log(dir.path(), {"--out", dir / "run"});
  EXPECT_EQ(r.status, 0);
  ASSERT_TRUE(loaded(r, "libc.so")) << "the loader's record is missing:\n" << r.err;
  for (const std::string& l : graphics_libraries)
    EXPECT_FALSE(loaded(r, l)) << l << " loaded:\n" << r.err;
  // Nor does the program's file name one to be loaded.
  for (const std::string& l : graphics_libraries)
    EXPECT_EQ(read_bytes(SC_PROGRAM).find(l + "."), std::string::npos) << l;

  // With a display the helper loads FLTK and X11, the run itself none.
  if (!ServerXvfb::installed()) GTEST_SKIP() << ServerXvfb::program << " is not installed";
  ServerXvfb server("640x480x24");
  ASSERT_TRUE(server.errore().empty()) << server.errore();
  ProgramRun e;
  e.args = {"--out", dir / "run"};
  e.cwd = dir.path();
  e.env = {{"LD_DEBUG", "libs"}, {"DISPLAY", server.display()}};
  const ProgramOutcome w = run_program(e);
  EXPECT_EQ(w.status, 0) << w.err;
  const LibrariesByProcess x = by_process(w.err);
  ASSERT_EQ(x.libraries.size(), 2u) << "the run and its window's helper:\n" << w.err;
  for (const auto& [pid, libraries] : x.libraries) {
    const bool helper = pid != x.first;
    EXPECT_EQ(loads(libraries, "libfltk"), helper) << pid;
    EXPECT_EQ(loads(libraries, "libX11"), helper) << pid;
    EXPECT_FALSE(loads(libraries, "libcairo")) << pid;
  }
}

TEST(Libraries, AMissingHelperProgramIsAUsageFaultNamingIt) {
  TempDir dir;
  std::filesystem::copy_file(SC_PROGRAM, dir / "scenario-compiler");
  std::filesystem::permissions(dir / "scenario-compiler", std::filesystem::perms(0755));
  ProgramRun e;
  e.args = {"inspect", "x.dat"};
  e.cwd = dir.path();
  e.program = dir / "scenario-compiler";
  const ProgramOutcome r = run_program(e);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(
      r.err,
      "scenario-compiler: inspect needs the helper program \"scenario-compiler-inspect\", which "
      "was not found beside " +
          dir.path() + " or in " + std::filesystem::path(dir.path()).parent_path().string() +
          "/libexec/scenario-compiler; build it with \"make build\" or install the program\n");
}

}  // namespace
