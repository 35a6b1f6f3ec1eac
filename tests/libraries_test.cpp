// compile, check and export run in a process that loads none of the window
// (FLTK, X11), drawing (Cairo) or JSON code; inspect, plot and the embedded
// run load theirs in a helper program. The dynamic loader's own record
// (LD_DEBUG=libs) names every shared library a process loads, including
// the helper program it hands over to.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/run_program.h"
#include "tests/support/test_dir.h"

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

TEST(Libraries, PlotAndTheEmbeddedRunLoadTheirLibrariesInTheirHelperPrograms) {
  TempDir dir;
  const ProgramOutcome p =
      with_library_log(dir.path(), {"plot", dir.path(), "-o", dir / "x.svg"});
  EXPECT_EQ(p.status, 2);  // no scenario in the directory
  EXPECT_TRUE(loaded(p, "libcairo")) << p.err;
  EXPECT_FALSE(loaded(p, "libfltk"));

  const ProgramOutcome r = with_library_log(dir.path(), {"--out", dir / "run"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(loaded(r, "libfltk")) << r.err;
  EXPECT_TRUE(loaded(r, "libX11"));
  EXPECT_FALSE(loaded(r, "libcairo"));
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
  EXPECT_EQ(r.err, "scenario-compiler: cannot run \"" + dir / "scenario-compiler-inspect" +
                       "\": No such file or directory\n");
}

}  // namespace
