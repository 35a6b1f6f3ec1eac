// compile --watch and check --watch: the program keeps running, compiles
// again on every save of a description and prints each result with a
// timestamp; a fault never ends it, Ctrl-C does, with status 0.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tests/support/test_dir.h"
#include "tests/esegui_programma.h"
#include "tests/support/processo_in_corso.h"

namespace {

using namespace sc::test;
using namespace sc::test::file_scenario;

class Watch : public ::testing::Test {
 protected:
  void SetUp() override {
    const EsitoProgramma e = esegui_programma(dir.path(), {"export"});
    ASSERT_EQ(e.stato, 0) << e.err;
  }
  // Saves `testo` as an editor that writes a new file and renames it does.
  void salva_rinominando(const std::string& nome, const std::string& testo) {
    scrivi(dir / (nome + ".swp"), testo);
    std::filesystem::rename(dir / (nome + ".swp"), dir / nome);
  }
  TempDir dir;
};

TEST_F(Watch, CheckReportsEachSaveAndEndsWithStatusZeroOnInterrupt) {
  const std::string buono = leggi(dir / treno_txt);
  std::string guasto = buono;
  sostituisci(guasto, "segnale,    7500,", "segnale,    3500,");

  ProcessoInCorso p(SC_PROGRAM, {"check", "--watch", linea_txt, treno_txt}, dir.path());
  ASSERT_TRUE(p.attendi_out("no fault; watching for changes (Ctrl-C ends)")) << p.out() << p.err();
  EXPECT_TRUE(std::regex_search(p.out(), std::regex(R"(^\[\d\d:\d\d:\d\d\] no fault; watching)")));

  salva_rinominando(treno_txt, guasto);  // a fault: reported, the watch goes on
  ASSERT_TRUE(p.attendi_out("faults, listed above")) << p.out() << p.err();
  EXPECT_NE(p.err().find("18:13: error: signal cell 71 already holds a signal (at 3500 m) [E16]"), std::string::npos) << p.err();

  scrivi(dir / treno_txt, buono);  // written in place this time
  ASSERT_TRUE(p.attendi_out("no fault; watching", 2)) << p.out();
  EXPECT_EQ(ProcessoInCorso::conta(p.out(), "watching for changes"), 3) << p.out();
  EXPECT_EQ(ProcessoInCorso::conta(p.err(), "[E16]"), 1);
  // check writes nothing
  EXPECT_FALSE(std::filesystem::exists(dir / dat));

  p.segnale(SIGINT);
  EXPECT_EQ(p.fine(), 0);
  EXPECT_NE(p.out().find("] stopped\n"), std::string::npos) << p.out();
}

TEST_F(Watch, CompileWaitsForAMissingDescriptionThenWritesTheFiles) {
  const std::string treno = leggi(dir / treno_txt);
  std::filesystem::remove(dir / treno_txt);

  ProcessoInCorso p(SC_PROGRAM, {"compile", "--watch", linea_txt, treno_txt, "--out", "bin"}, dir.path());
  ASSERT_TRUE(p.attendi_out("a description cannot be read; watching")) << p.out() << p.err();
  EXPECT_NE(p.err().find("cannot read"), std::string::npos) << p.err();
  // An unrelated file in the same directory starts no run.
  scrivi(dir / "appunti.txt", "x");
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(ProcessoInCorso::conta(p.out(), "watching"), 1) << p.out();

  salva_rinominando(treno_txt, treno);
  ASSERT_TRUE(p.attendi_out("compiled without fault; watching")) << p.out() << p.err();
  EXPECT_NE(p.out().find("wrote bin/" + dat), std::string::npos) << p.out();
  EXPECT_TRUE(std::filesystem::exists(dir / ("bin/" + dat)));

  p.segnale(SIGTERM);
  EXPECT_EQ(p.fine(), 0);
}

TEST_F(Watch, AnIdentityThatCannotBeToldEndsAtOnce) {
  std::filesystem::copy_file(dir / treno_txt, dir / "t.txt");
  ProcessoInCorso p(SC_PROGRAM, {"check", "--watch", linea_txt, "t.txt"}, dir.path());
  EXPECT_EQ(p.fine(), 2);
  EXPECT_NE(p.err().find("cannot tell the train number"), std::string::npos) << p.err();
}

}  // namespace
