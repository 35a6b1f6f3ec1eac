// The run sequence with a stand-in compiler: what is written where, what is
// reported, and the exit status of every way a run can end.
#include "run/run_scenario.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "output/diagnostics.h"
#include "run/status_log_test_support.h"
#include "tests/support/test_dir.h"
#include "writers/scenario.h"

namespace sc {
namespace {

using test::list_dir;
using test::Log;
using test::read_bytes;
using test::write;
using namespace test::file_scenario;

class RunScenario : public testing::Test {
 protected:
  // A compiler that checks what the run hands it and returns `result`
  // after recording `faults`, telling that the parse was done with both
  // descriptions.
  Compiler compiler() {
    return [this](const CompileInput& in) {
      ++calls;
      EXPECT_EQ(in.modo, 1);
      EXPECT_EQ(in.nome_scenario, "Corvale_Pravena AV");
      EXPECT_EQ(in.numero_treno, "409");
      EXPECT_FALSE(in.read_on);
      EXPECT_EQ(in.line.name, dir / linea_txt);
      EXPECT_EQ(in.train.name, dir / treno_txt);
      EXPECT_EQ(ui.statuses, std::vector<std::string>{"Attendere"});  // shown before the work
      // Every text file was written whole; the line description is read
      // and deleted before the train description is read.
      EXPECT_EQ(in.line.bytes, dati_linea());
      EXPECT_EQ(in.train.bytes, dati_treno());
      EXPECT_FALSE(std::filesystem::exists(dir / linea_txt));
      EXPECT_TRUE(std::filesystem::exists(dir / treno_txt));
      EXPECT_EQ(read_bytes(dir / note), dati_note());
      EXPECT_EQ(read_bytes(dir / rallentamenti), dati_rallentamenti());
      EXPECT_EQ(read_bytes(dir / scheda), dati_scheda());
      CompileResult r;
      r.model.nome_scenario = in.nome_scenario;
      r.model.numero_treno = in.numero_treno;
      for (const Fault& f : faults) record(r.model, r.log, f);
      r.compilation = result;
      r.line_consumed = true;
      r.train_consumed = train_consumed;
      return r;
    };
  }
  int run() { return run_scenario(dir.path(), ui, compiler(), err); }

  static Compilation ready() {
    Compilation c;
    c.files = {{CompiledKind::tracciato, "plan"},
               {CompiledKind::elementi, "table"},
               {CompiledKind::celle, "cells"}};
    return c;
  }

  test::TempDir dir;
  Log ui;
  std::ostringstream err;
  int calls = 0;
  Compilation result = ready();
  std::vector<Fault> faults;
  bool train_consumed = true;
};

TEST_F(RunScenario, CleanCompileWritesTheCompiledFilesAndEndsWithStatus0) {
  write(dir / dat, std::string(50000, 'o'));  // a longer file of an earlier run
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(err.str(), "");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(read_bytes(dir / linea_dat), "plan");
  EXPECT_EQ(read_bytes(dir / sim), "table");
  EXPECT_EQ(read_bytes(dir / dat), "cells");
  EXPECT_EQ(list_dir(dir.path()),
            (std::set<std::string>{note, rallentamenti, scheda, linea_dat, sim, dat}));
}

TEST_F(RunScenario, FaultsAreReportedAndTheFilesStillWrittenWithStatus1) {
  faults = {Fault{7, 3500, SourceLocation{dir / treno_txt, 4, 13, 4, "segnale,    3500"},
                  "signal cell already taken"},
            Fault{30, 4650, std::nullopt, "no free cell for the cab code"}};
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(err.str(), dir / treno_txt +
                           ":4:13: error: signal cell already taken (at 3500 m) [E7]\n"
                           "segnale,    3500\n"
                           "            ^~~~\n"
                           "error: no free cell for the cab code (at 4650 m) [E30]\n");
  EXPECT_EQ(read_bytes(dir / dat), "cells");
}

TEST_F(RunScenario, ReservedSlotClashShowsTheErrorReportAndTouchesNoCompiledFile) {
  const struct {
    Compilation::Result status;
    const char* text;
  } cases[] = {{Compilation::Result::errore_1250, " Errore n. 1250"},
               {Compilation::Result::errore_1251, " Errore n. 1251"}};
  for (const auto& c : cases) {
    ui = Log{};
    for (const std::string& f : {linea_dat, sim, dat}) write(dir / f, "earlier run");
    result = ready();
    result.status = c.status;
    EXPECT_EQ(run(), 3);
    EXPECT_EQ(ui.messages, std::vector<std::string>{c.text});
    for (const std::string& f : {linea_dat, sim, dat})
      EXPECT_EQ(read_bytes(dir / f), "earlier run") << f;
    EXPECT_TRUE(std::filesystem::exists(dir / scheda));  // the documents stay
  }
}

TEST_F(RunScenario, NothingCompiledLeavesEarlierCompiledFilesAndSaysSo) {
  for (const std::string& f : {linea_dat, sim, dat}) write(dir / f, "earlier run");
  result = Compilation{Compilation::Result::senza_celle, {}};
  faults = {Fault{101, std::nullopt, SourceLocation{dir / linea_txt, 0, 0, 0, ""},
                  "no line description file"}};
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(err.str(),
            dir / linea_txt +
                ": error: no line description file [E101]\n"
                "scenario-compiler: the compile ended before the cells existed; no compiled file "
                "written, earlier compiled files left as they were\n");
  for (const std::string& f : {linea_dat, sim, dat})
    EXPECT_EQ(read_bytes(dir / f), "earlier run") << f;
}

TEST_F(RunScenario, TrainDescriptionIsDeletedOnlyWhenTheParseWasDoneWithIt) {
  for (const bool consumed : {true, false}) {
    SCOPED_TRACE(consumed);
    train_consumed = consumed;
    ui = Log{};
    EXPECT_EQ(run(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / linea_txt));
    EXPECT_EQ(std::filesystem::exists(dir / treno_txt), !consumed);
    std::filesystem::remove(dir / treno_txt);
  }
}

TEST_F(RunScenario, CompiledFileThatCannotBeWrittenEndsWithStatus4) {
  std::filesystem::create_directory(dir / sim);
  EXPECT_EQ(run(), 4);
  EXPECT_EQ(err.str(), "scenario-compiler: cannot write \"" + dir / sim + "\": Is a directory\n");
  // The three are replaced together or not at all: neither the file before
  // it nor the one after it was put in place, and no temporary file stays.
  EXPECT_FALSE(std::filesystem::exists(dir / linea_dat));
  EXPECT_FALSE(std::filesystem::exists(dir / dat));
  for (const std::string& f : test::list_dir(dir.path())) EXPECT_NE(f[0], '.') << f;
}

TEST_F(RunScenario, TextFileThatCannotBeWrittenStopsBeforeTheCompile) {
  std::filesystem::create_directory(dir / note);
  EXPECT_EQ(run(), 4);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(err.str(), "scenario-compiler: cannot write \"" + dir / note + "\": Is a directory\n");
  // The two writers before it have run, the two after it have not.
  EXPECT_EQ(read_bytes(dir / linea_txt), dati_linea());
  EXPECT_EQ(read_bytes(dir / treno_txt), dati_treno());
  EXPECT_FALSE(std::filesystem::exists(dir / rallentamenti));
  EXPECT_FALSE(std::filesystem::exists(dir / scheda));
}

}  // namespace
}  // namespace sc
