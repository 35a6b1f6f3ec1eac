// The run sequence with a stand-in compiler: what is written where, what is
// reported, and the exit status of every way a run can end.
#include "run/esegui_scenario.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "output/diagnostics.h"
#include "run/registro_test_support.h"
#include "tests/support/test_dir.h"
#include "writers/scenario.h"

namespace sc {
namespace {

using test::elenco;
using test::leggi;
using test::Registro;
using test::scrivi;
using namespace test::file_scenario;

class EseguiScenario : public testing::Test {
 protected:
  // A compiler that checks what the run hands it and returns `risultato`
  // after recording `faults`, telling that the parse was done with both
  // descriptions.
  Compilatore compilatore() {
    return [this](const CompileInput& in) {
      ++chiamate;
      EXPECT_EQ(in.modo, 1);
      EXPECT_EQ(in.nome_scenario, "Corvale_Pravena AV");
      EXPECT_EQ(in.numero_treno, "409");
      EXPECT_FALSE(in.read_on);
      EXPECT_EQ(in.line.name, dir / linea_txt);
      EXPECT_EQ(in.train.name, dir / treno_txt);
      EXPECT_EQ(ui.stati, std::vector<std::string>{"Attendere"});  // shown before the work
      // Every text file was written whole; the line description is read
      // and deleted before the train description is read.
      EXPECT_EQ(in.line.bytes, dati_linea());
      EXPECT_EQ(in.train.bytes, dati_treno());
      EXPECT_FALSE(std::filesystem::exists(dir / linea_txt));
      EXPECT_TRUE(std::filesystem::exists(dir / treno_txt));
      EXPECT_EQ(leggi(dir / note), dati_note());
      EXPECT_EQ(leggi(dir / rallentamenti), dati_rallentamenti());
      EXPECT_EQ(leggi(dir / scheda), dati_scheda());
      CompileResult r;
      r.model.nome_scenario = in.nome_scenario;
      r.model.numero_treno = in.numero_treno;
      for (const Fault& f : faults) registra(r.model, r.log, f);
      r.compilation = risultato;
      r.line_consumed = true;
      r.train_consumed = treno_consumato;
      return r;
    };
  }
  int esegui() { return esegui_scenario(dir.path(), ui, compilatore(), err); }

  static Compilazione pronta() {
    Compilazione c;
    c.files = {{FileCompilato::tracciato, "plan"}, {FileCompilato::elementi, "table"}, {FileCompilato::celle, "cells"}};
    return c;
  }

  test::TempDir dir;
  Registro ui;
  std::ostringstream err;
  int chiamate = 0;
  Compilazione risultato = pronta();
  std::vector<Fault> faults;
  bool treno_consumato = true;
};

TEST_F(EseguiScenario, CleanCompileWritesTheCompiledFilesAndEndsWithStatus0) {
  scrivi(dir / dat, std::string(50000, 'o'));  // a longer file of an earlier run
  EXPECT_EQ(esegui(), 0);
  EXPECT_EQ(chiamate, 1);
  EXPECT_EQ(err.str(), "");
  EXPECT_TRUE(ui.messaggi.empty());
  EXPECT_EQ(leggi(dir / linea_dat), "plan");
  EXPECT_EQ(leggi(dir / sim), "table");
  EXPECT_EQ(leggi(dir / dat), "cells");
  EXPECT_EQ(elenco(dir.path()), (std::set<std::string>{note, rallentamenti, scheda, linea_dat, sim, dat}));
}

TEST_F(EseguiScenario, FaultsAreReportedAndTheFilesStillWrittenWithStatus1) {
  faults = {Fault{7, 3500, SourceLocation{dir / treno_txt, 4, 13, 4, "segnale,    3500"}, "signal cell already taken"},
            Fault{30, 4650, std::nullopt, "no free cell for the cab code"}};
  EXPECT_EQ(esegui(), 1);
  EXPECT_EQ(err.str(), dir / treno_txt + ":4:13: error: signal cell already taken (at 3500 m) [E7]\n"
                       "segnale,    3500\n"
                       "            ^~~~\n"
                       "error: no free cell for the cab code (at 4650 m) [E30]\n");
  EXPECT_EQ(leggi(dir / dat), "cells");
}

TEST_F(EseguiScenario, ReservedSlotClashShowsTheErrorReportAndTouchesNoCompiledFile) {
  const struct {
    Compilazione::Stato stato;
    const char* testo;
  } casi[] = {{Compilazione::Stato::errore_1250, " Errore n. 1250"},
              {Compilazione::Stato::errore_1251, " Errore n. 1251"}};
  for (const auto& c : casi) {
    ui = Registro{};
    for (const std::string& f : {linea_dat, sim, dat}) scrivi(dir / f, "earlier run");
    risultato = pronta();
    risultato.stato = c.stato;
    EXPECT_EQ(esegui(), 3);
    EXPECT_EQ(ui.messaggi, std::vector<std::string>{c.testo});
    for (const std::string& f : {linea_dat, sim, dat}) EXPECT_EQ(leggi(dir / f), "earlier run") << f;
    EXPECT_TRUE(std::filesystem::exists(dir / scheda));  // the documents stay
  }
}

TEST_F(EseguiScenario, NothingCompiledLeavesEarlierCompiledFilesAndSaysSo) {
  for (const std::string& f : {linea_dat, sim, dat}) scrivi(dir / f, "earlier run");
  risultato = Compilazione{Compilazione::Stato::senza_celle, {}};
  faults = {Fault{101, std::nullopt, SourceLocation{dir / linea_txt, 0, 0, 0, ""}, "no line description file"}};
  EXPECT_EQ(esegui(), 1);
  EXPECT_EQ(err.str(), dir / linea_txt + ": error: no line description file [E101]\n"
                       "scenario-compiler: the compile ended before the cells existed; no compiled file "
                       "written, earlier compiled files left as they were\n");
  for (const std::string& f : {linea_dat, sim, dat}) EXPECT_EQ(leggi(dir / f), "earlier run") << f;
}

TEST_F(EseguiScenario, TrainDescriptionIsDeletedOnlyWhenTheParseWasDoneWithIt) {
  for (const bool consumato : {true, false}) {
    SCOPED_TRACE(consumato);
    treno_consumato = consumato;
    ui = Registro{};
    EXPECT_EQ(esegui(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / linea_txt));
    EXPECT_EQ(std::filesystem::exists(dir / treno_txt), !consumato);
    std::filesystem::remove(dir / treno_txt);
  }
}

TEST_F(EseguiScenario, CompiledFileThatCannotBeWrittenEndsWithStatus4) {
  std::filesystem::create_directory(dir / sim);
  EXPECT_EQ(esegui(), 4);
  EXPECT_EQ(err.str(), "scenario-compiler: cannot write \"" + dir / sim + "\": Is a directory\n");
  // The three are replaced together or not at all: neither the file before
  // it nor the one after it was put in place, and no temporary file stays.
  EXPECT_FALSE(std::filesystem::exists(dir / linea_dat));
  EXPECT_FALSE(std::filesystem::exists(dir / dat));
  for (const std::string& f : test::elenco(dir.path())) EXPECT_NE(f[0], '.') << f;
}

TEST_F(EseguiScenario, TextFileThatCannotBeWrittenStopsBeforeTheCompile) {
  std::filesystem::create_directory(dir / note);
  EXPECT_EQ(esegui(), 4);
  EXPECT_EQ(chiamate, 0);
  EXPECT_EQ(err.str(), "scenario-compiler: cannot write \"" + dir / note + "\": Is a directory\n");
  // The two writers before it have run, the two after it have not.
  EXPECT_EQ(leggi(dir / linea_txt), dati_linea());
  EXPECT_EQ(leggi(dir / treno_txt), dati_treno());
  EXPECT_FALSE(std::filesystem::exists(dir / rallentamenti));
  EXPECT_FALSE(std::filesystem::exists(dir / scheda));
}

}  // namespace
}  // namespace sc
