// The command line, run as a user would: the built program in a fresh
// working directory per test, without DISPLAY, its output captured.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "tests/run_program.h"
#include "tests/support/test_dir.h"
#include "writers/scenario.h"

namespace {

namespace fs = std::filesystem;
using namespace sc::test;
using namespace sc::test::file_scenario;
using Outcome = ProgramOutcome;

const std::set<std::string> exported{linea_txt, treno_txt, note, rallentamenti, scheda};
const std::string help = "Run with --help for more information.\n";

// The first line of `s`, without its line end.
std::string first_line(const std::string& s) { return s.substr(0, s.find('\n')); }

// A working directory holding the exported scenario.
class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    const Outcome e = run_program(dir.path(), {"export"});
    ASSERT_EQ(e.status, 0) << e.err;
    ASSERT_EQ(list_dir(dir.path()), exported);
  }
  // Replaces `from` by `a` in the train description (once, must be there).
  void change_treno(const std::string& from, const std::string& a) {
    std::string t = read_bytes(dir / treno_txt);
    ASSERT_NO_FATAL_FAILURE(replace(t, from, a));
    write(dir / treno_txt, t);
  }
  Outcome compile(std::vector<std::string> extra = {}, const std::string& command = "compile") {
    std::vector<std::string> args{command, linea_txt, treno_txt};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_program(dir.path(), args);
  }
  TempDir dir;
};

TEST_F(Cli, ExportThenCompileGivesTheFilesOfTheEmbeddedRun) {
  EXPECT_EQ(read_bytes(dir / linea_txt), sc::dati_linea());
  EXPECT_EQ(read_bytes(dir / treno_txt), sc::dati_treno());
  EXPECT_EQ(read_bytes(dir / scheda), sc::dati_scheda());

  const Outcome c = compile();
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_EQ(c.err, "");
  EXPECT_EQ(c.out, "wrote " + linea_dat + "\nwrote " + sim + "\nwrote " + dat + "\n");

  // The embedded run, with --out in place of the program's directory.
  TempDir run;
  const Outcome r = run_program(dir.path(), {"--out", run / "sub"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "Attendere\n");
  const auto embedded = contents(run / "sub");
  EXPECT_EQ(embedded.size(), 6u);  // three documents, three compiled files
  for (const std::string& f : {linea_dat, sim, dat}) {
    ASSERT_TRUE(embedded.count(f)) << f;
    EXPECT_TRUE(read_bytes(dir / f) == embedded.at(f)) << f << " differs from the embedded run's";
  }
  EXPECT_TRUE(read_bytes(dir / note) == embedded.at(note));
}

TEST_F(Cli, TakenSignalCellIsReportedAtItsLineAndTheSourcesStayUnchanged) {
  // The second signal moved onto the first one's cell (line 18 of the file).
  change_treno("segnale,    7500,", "segnale,    3500,");
  const auto sources = contents(dir.path());

  const std::string expected =
      treno_txt +
      ":18:13: error: signal cell 71 already holds a signal (at 3500 m) [E16]\n"
      "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0\n"
      "            ^~~~\n";
  const Outcome c = compile();
  EXPECT_EQ(c.status, 1);
  EXPECT_EQ(c.err.substr(0, expected.size()), expected);
  EXPECT_NE(c.err.find("1 fault"), std::string::npos) << c.err;
  EXPECT_TRUE(fs::exists(dir / dat));  // compiled all the same

  // check: the same diagnostics, nothing written.
  for (const std::string& f : {linea_dat, sim, dat}) fs::remove(dir / f);
  const Outcome k = compile({}, "check");
  EXPECT_EQ(k.status, 1);
  EXPECT_EQ(k.err.substr(0, expected.size()), expected);
  EXPECT_EQ(k.out, "");
  EXPECT_EQ(contents(dir.path()), sources);  // both descriptions there, byte for byte
}

TEST_F(Cli, SourcesSurviveEveryFaultPath) {
  const struct {
    const char* test_case;
    std::string file, from, a;
    int status;
    std::string message;  // in standard error
    bool compiled;        // compiled files written
  } cases[] = {
      {"read failure (error 25)", treno_txt, "segnale,    3500,   2,", "segnale,    3500,   x,", 1,
       ":17:21: error: field 3 of \"segnale\": expected a whole number, got \"x\" [E25]", true},
      {"line length above the limit: no cells", linea_txt, "lunghezza percorso,    92000",
       "lunghezza percorso,  2000000", 1, "no compiled file written", false},
      {"reserved-slot clash", treno_txt, "segnale,    3500,", "segnale,       0,", 3,
       "Errore n. 1250", false},
      {"station spacing", treno_txt, "stazione,   29950,", "stazione,     950,", 1,
       "error: station starts", true},
  };
  const std::string linea_orig = read_bytes(dir / linea_txt),
                    treno_orig = read_bytes(dir / treno_txt);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    write(dir / linea_txt, linea_orig);
    write(dir / treno_txt, treno_orig);
    std::string t = read_bytes(dir / c.file);
    ASSERT_NO_FATAL_FAILURE(replace(t, c.from, c.a));
    write(dir / c.file, t);
    for (const std::string& f : {linea_dat, sim, dat}) fs::remove(dir / f);
    const auto before = contents(dir.path());

    const Outcome e = compile();
    EXPECT_EQ(e.status, c.status) << e.err;
    EXPECT_NE(e.err.find(c.message), std::string::npos) << e.err;
    auto after = contents(dir.path());
    EXPECT_EQ(after.count(dat), c.compiled ? 1u : 0u);
    for (const std::string& f : {linea_dat, sim, dat}) after.erase(f);
    EXPECT_EQ(after, before);  // the descriptions unchanged, nothing else touched
  }
}

TEST_F(Cli, UsageErrorsAreOneLineAndStatus2) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"compile", "missing_linea.txt", treno_txt},
       "scenario-compiler: cannot read \"missing_linea.txt\": No such file or directory\n"},
      {{"compile", linea_txt, treno_txt, "--bogus"},
       "scenario-compiler: compile: The following argument was not expected: --bogus\n" + help},
      {{"--bogus"}, "scenario-compiler: The following argument was not expected: --bogus\n" + help},
      {{"compile", linea_txt}, "scenario-compiler: compile: TRAIN is required\n" + help},
      {{"frob"},
       "scenario-compiler: unknown command \"frob\"; the commands are export, compile, check, "
       "inspect, "
       "plot, view, explain and decompile\n" +
           help},
      {{"inspect", dat, "--every", "0"},
       "scenario-compiler: --every must be 1 or more, not 0\n" + help},
      // An empty directory would put the files at the root.
      {{"--out", ""},
       "scenario-compiler: --out needs a directory name (\".\" for the current directory)\n" +
           help},
  };
  for (const auto& c : cases) {
    const Outcome e = run_program(dir.path(), c.args);
    EXPECT_EQ(e.status, 2) << c.args.front();
    EXPECT_EQ(e.err, c.err);
    EXPECT_EQ(e.out, "");
  }

  // Identity: the files renamed away from the naming rule.
  fs::rename(dir / linea_txt, dir / "line.txt");
  fs::rename(dir / treno_txt, dir / "train.txt");
  const Outcome e = run_program(dir.path(), {"compile", "line.txt", "train.txt", "--train", "409"});
  EXPECT_EQ(e.status, 2);
  EXPECT_EQ(e.err,
            "scenario-compiler: cannot tell the scenario name: \"line.txt\" is not named "
            "NAME_linea.txt and "
            "\"train.txt\" is not named NAME_NUMBER-.txt; give it with --name NAME\n");
  EXPECT_EQ(list_dir(dir.path()).count("Corvale_Pravena AV_409.dat"), 0u);

  // Given on the command line, the identity names the compiled files.
  const Outcome ok = run_program(dir.path(), {"compile", "line.txt", "train.txt", "--name",
                                              "Mia linea", "--train", "7", "--out", "uscita"});
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(list_dir(dir / "uscita"),
            (std::set<std::string>{"Mia linea_linea.dat", "Mia linea_7.sim", "Mia linea_7.dat"}));
}

TEST_F(Cli, HelpOfEveryCommandAndVersion) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> texts;  // each must appear in the help
  } cases[] = {
      {{"--help"},
       {"Usage: scenario-compiler [OPTIONS] [SUBCOMMAND]", "--out DIR", "export", "compile",
        "check", "inspect", "plot", "decompile", "--version", "--sync", "--force",
        "Exit status:", "4  an output file could not be written"}},
      {{"export", "--help"}, {"Usage: scenario-compiler export [OPTIONS]", "--out DIR", "--force"}},
      {{"compile", "--help"},
       {"Usage: scenario-compiler compile [OPTIONS] LINE TRAIN", "--name NAME", "--train NUMBER",
        "--out DIR", "--no-plan", "--sync", "NAME_linea.txt and NAME_NUMBER-.txt", "Exit status:"}},
      {{"check", "--help"},
       {"Usage: scenario-compiler check [OPTIONS] LINE TRAIN", "--name NAME", "--train NUMBER"}},
      {{"inspect", "--help"},
       {"Usage: scenario-compiler inspect [OPTIONS] FILE", "--json", "--cells FROM:TO",
        "--only TYPE...", "--every N"}},
      {{"plot", "--help"},
       {"Usage: scenario-compiler plot [OPTIONS] DIR_OR_FILES...", "-o,--output OUT",
        "--size WxH"}},
      {{"decompile", "--help"},
       {"Usage: scenario-compiler decompile [OPTIONS] DIR_OR_FILES...", "--out DIR", "--force",
        "Exit status:"}},
  };
  for (const auto& c : cases) {
    const Outcome e = run_program(dir.path(), c.args);
    EXPECT_EQ(e.status, 0) << c.args.front();
    EXPECT_EQ(e.err, "");
    for (const std::string& t : c.texts)
      EXPECT_NE(e.out.find(t), std::string::npos) << c.args.front() << ": " << t;
  }
  // check has no --out and no --no-plan.
  const std::string check = run_program(dir.path(), {"check", "--help"}).out;
  EXPECT_EQ(check.find("--out"), std::string::npos);
  EXPECT_EQ(check.find("--no-plan"), std::string::npos);

  const Outcome v = run_program(dir.path(), {"--version"});
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out,
            "scenario-compiler 1.0.0\n"
            "compiled files written and read:\n"
            "  track plan (NAME_linea.dat): layout 1\n"
            "  element table (NAME_NUMBER.sim): layout 1\n"
            "  cells (NAME_NUMBER.dat): layout 1\n");
  EXPECT_EQ(list_dir(dir.path()), exported);  // nothing written by any of them
}

TEST_F(Cli, CheckWritesNothingAndNoPlanWritesNoTrackPlan) {
  const Outcome k = compile({}, "check");
  EXPECT_EQ(k.status, 0) << k.err;
  EXPECT_EQ(k.out + k.err, "");
  EXPECT_EQ(list_dir(dir.path()), exported);

  const Outcome n = compile({"--no-plan", "--out", "senza"});
  EXPECT_EQ(n.status, 0) << n.err;
  EXPECT_EQ(list_dir(dir / "senza"), (std::set<std::string>{sim, dat}));
}

TEST_F(Cli, ExportNeverReplacesFilesUnlessForced) {
  write(dir / treno_txt, "edited\r\n");
  const Outcome e = run_program(dir.path(), {"export"});
  EXPECT_EQ(e.status, 4);
  EXPECT_NE(first_line(e.err).find("already exists"), std::string::npos) << e.err;
  EXPECT_EQ(read_bytes(dir / treno_txt), "edited\r\n");

  const Outcome f = run_program(dir.path(), {"export", "--force"});
  EXPECT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(read_bytes(dir / treno_txt), sc::dati_treno());
}

TEST_F(Cli, UnwritableOutputIsStatus4) {
  write(dir / "file", "x");
  const Outcome e = compile({"--out", "file"});
  EXPECT_EQ(e.status, 4);
  EXPECT_EQ(e.err, "scenario-compiler: cannot write into \"file\": it is not a directory\n");
  EXPECT_EQ(list_dir(dir.path()).size(), exported.size() + 1);
}

TEST_F(Cli, InspectAndPlotTheCompiledFiles) {
  ASSERT_EQ(compile().status, 0);
  const struct {
    std::vector<std::string> args;
    std::string inizio;
  } cases[] = {
      {{"inspect", dat}, dat + ": cells file, 29715 bytes\n"},
      {{"inspect", sim}, sim + ": element table file, 3455 bytes\n"},
      {{"inspect", linea_dat, "--every", "10000"},
       linea_dat + ": track plan file, 1979964 bytes\n"},
      {{"inspect", dat, "--json", "--cells", "60:80", "--only", "signals", "stations"}, "{\n"},
  };
  for (const auto& c : cases) {
    const Outcome e = run_program(dir.path(), c.args);
    EXPECT_EQ(e.status, 0) << e.err;
    EXPECT_EQ(e.out.substr(0, c.inizio.size()), c.inizio);
  }
  // Only the signal cell 71 of cells 60 to 80.
  const std::string json =
      run_program(dir.path(), {"inspect", dat, "--json", "--cells", "60:80", "--only", "signals"})
          .out;
  EXPECT_NE(json.find("\"shown\": 1"), std::string::npos) << json;

  const Outcome p = run_program(dir.path(), {"plot", ".", "-o", "scenario.svg"});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, "wrote scenario.svg\n");
  EXPECT_EQ(read_bytes(dir / "scenario.svg").substr(0, 5), "<?xml");
  const Outcome png = run_program(
      dir.path(), {"plot", linea_dat, sim, dat, "-o", "scenario.png", "--size", "800x600"});
  EXPECT_EQ(png.status, 0) << png.err;
  EXPECT_EQ(read_bytes(dir / "scenario.png").substr(1, 3), "PNG");

  // A truncated element table: one line naming the file, status 2.
  const std::string integer = read_bytes(dir / sim);
  write(dir / sim, integer.substr(0, 100));
  const Outcome t = run_program(dir.path(), {"inspect", sim});
  EXPECT_EQ(t.status, 2);
  EXPECT_EQ(t.out, "");
  EXPECT_EQ(t.err.rfind("scenario-compiler: " + sim + ": element table: ", 0), 0u) << t.err;
  EXPECT_EQ(std::count(t.err.begin(), t.err.end(), '\n'), 1);
  const Outcome tp = run_program(dir.path(), {"plot", ".", "-o", "rotto.svg"});
  EXPECT_EQ(tp.status, 2);
  EXPECT_EQ(first_line(tp.err).rfind("scenario-compiler: ", 0), 0u);
  EXPECT_NE(first_line(tp.err).find(sim), std::string::npos) << tp.err;
  EXPECT_FALSE(fs::exists(dir / "rotto.svg"));
}

}  // namespace
