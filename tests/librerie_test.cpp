// compile, check and export run in a process that loads none of the window
// (FLTK, X11), drawing (Cairo) or JSON code; inspect, plot and the embedded
// run load theirs in a helper program. The dynamic loader's own record
// (LD_DEBUG=libs) names every shared library a process loads, including
// the helper program it hands over to.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/esegui_programma.h"
#include "tests/support/test_dir.h"

namespace {

using namespace sc::test;
using namespace sc::test::file_scenario;

const std::vector<std::string> librerie_grafiche{"libfltk", "libX11", "libcairo"};

EsitoProgramma con_registro_librerie(const std::string& cwd, std::vector<std::string> args) {
  Esecuzione e;
  e.args = std::move(args);
  e.cwd = cwd;
  e.ambiente = {{"LD_DEBUG", "libs"}};
  return esegui_programma(e);
}

bool caricata(const EsitoProgramma& e, const std::string& libreria) {
  return e.err.find("find library=" + libreria) != std::string::npos;
}

TEST(Librerie, CompileCheckAndExportLoadNoWindowDrawingOrJsonLibrary) {
  TempDir dir;
  const EsitoProgramma x = con_registro_librerie(dir.path(), {"export"});
  ASSERT_EQ(x.stato, 0) << x.err;
  ASSERT_TRUE(caricata(x, "libc.so")) << "the loader's record is missing:\n" << x.err;

  const EsitoProgramma c = con_registro_librerie(dir.path(), {"compile", linea_txt, treno_txt});
  ASSERT_EQ(c.stato, 0) << c.err;
  const EsitoProgramma k = con_registro_librerie(dir.path(), {"check", linea_txt, treno_txt});
  ASSERT_EQ(k.stato, 0) << k.err;
  for (const EsitoProgramma* e : {&x, &c, &k}) {
    for (const std::string& l : librerie_grafiche)
      EXPECT_FALSE(caricata(*e, l)) << l << " loaded:\n" << e->err;
  }
  // The JSON code is compiled into the program that uses it: none of it in
  // the main program, all of it in inspect's helper.
  EXPECT_EQ(leggi(SC_PROGRAM).find("nlohmann"), std::string::npos);
  EXPECT_NE(leggi(std::string(SC_PROGRAM) + "-inspect").find("nlohmann"), std::string::npos);
}

TEST(Librerie, PlotAndTheEmbeddedRunLoadTheirLibrariesInTheirHelperPrograms) {
  TempDir dir;
  const EsitoProgramma p =
      con_registro_librerie(dir.path(), {"plot", dir.path(), "-o", dir / "x.svg"});
  EXPECT_EQ(p.stato, 2);  // no scenario in the directory
  EXPECT_TRUE(caricata(p, "libcairo")) << p.err;
  EXPECT_FALSE(caricata(p, "libfltk"));

  const EsitoProgramma r = con_registro_librerie(dir.path(), {"--out", dir / "run"});
  EXPECT_EQ(r.stato, 0);
  EXPECT_TRUE(caricata(r, "libfltk")) << r.err;
  EXPECT_TRUE(caricata(r, "libX11"));
  EXPECT_FALSE(caricata(r, "libcairo"));
}

TEST(Librerie, AMissingHelperProgramIsAUsageFaultNamingIt) {
  TempDir dir;
  std::filesystem::copy_file(SC_PROGRAM, dir / "scenario-compiler");
  std::filesystem::permissions(dir / "scenario-compiler", std::filesystem::perms(0755));
  Esecuzione e;
  e.args = {"inspect", "x.dat"};
  e.cwd = dir.path();
  e.programma = dir / "scenario-compiler";
  const EsitoProgramma r = esegui_programma(e);
  EXPECT_EQ(r.stato, 2);
  EXPECT_EQ(r.err, "scenario-compiler: cannot run \"" + dir / "scenario-compiler-inspect" +
                       "\": No such file or directory\n");
}

}  // namespace
