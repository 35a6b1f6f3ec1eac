// Diagnostics as authors, editors and CI see them: the built program run on
// edits of the exported scenario.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/esegui_programma.h"
#include "tests/support/test_dir.h"

namespace {

using namespace sc::test;
using namespace sc::test::file_scenario;
using Esito = EsitoProgramma;

class Diagnostiche : public ::testing::Test {
 protected:
  void SetUp() override {
    const Esito e = esegui_programma(dir.path(), {"export"});
    ASSERT_EQ(e.stato, 0) << e.err;
  }
  void modifica(const std::string& file, const std::string& da, const std::string& a) {
    std::string t = leggi(dir / file);
    ASSERT_NO_FATAL_FAILURE(sostituisci(t, da, a));
    scrivi(dir / file, t);
  }
  Esito esegui(const std::string& comando, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{comando, linea_txt, treno_txt};
    args.insert(args.end(), extra.begin(), extra.end());
    return esegui_programma(dir.path(), args);
  }
  TempDir dir;
};

TEST_F(Diagnostiche, WarningsLeaveTheStatusAloneUnlessStrict) {
  modifica(treno_txt, "velocita,    1500,   250", "velocia,    1500,   250");
  for (const std::string comando : {"compile", "check"}) {
    SCOPED_TRACE(comando);
    const Esito e = esegui(comando);
    EXPECT_EQ(e.stato, 0) << e.err;
    EXPECT_EQ(e.err,
              treno_txt + ":10:1: warning: unknown key \"velocia\": the entry is skipped; did you mean `velocita`? [W1]\n"
              "velocia,    1500,   250\n"
              "^~~~~~~\n"
              "scenario-compiler: 1 warning; the compiled files do not change because of it\n");
    const Esito s = esegui(comando, {"--strict"});
    EXPECT_EQ(s.stato, 1) << s.err;
    EXPECT_NE(s.err.find("--strict makes them faults"), std::string::npos) << s.err;
  }
  // --strict on a clean scenario changes nothing.
  modifica(treno_txt, "velocia,    1500,   250", "velocita,    1500,   250");
  const Esito pulito = esegui("check", {"--strict"});
  EXPECT_EQ(pulito.stato, 0);
  EXPECT_EQ(pulito.err, "");
}

TEST_F(Diagnostiche, TrainNumberThatDiffersFromTheFileNameIsAWarning) {
  const Esito e = esegui("compile", {"--train", "410"});
  EXPECT_EQ(e.stato, 0);
  EXPECT_EQ(e.err.substr(0, e.err.find('\n')),
            treno_txt + ": warning: --train 410 differs from the train number 409 of the file name; the compiled "
                        "files are named after 410 [W12]");
  EXPECT_TRUE(std::filesystem::exists(dir / "Corvale_Pravena AV_410.dat"));
  EXPECT_EQ(esegui("check", {"--train", "409"}).err, "");  // the same number: nothing to say
}

TEST_F(Diagnostiche, JsonAndSarifOnStandardErrorParseBack) {
  // A fault that ends the parse, one found after it, and a warning.
  modifica(treno_txt, "segnale,    7500,", "segnale,    3500,");
  modifica(treno_txt, "segnale,   12000,", "segnale,    9500,");
  modifica(treno_txt, "sabbia,    300", "sabbia,    300,  20");
  const Esito j = esegui("check", {"--diagnostics-format", "json"});
  EXPECT_EQ(j.stato, 1);
  EXPECT_EQ(j.out, "");
  const nlohmann::json a = nlohmann::json::parse(j.err);  // nothing else on standard error
  ASSERT_EQ(a.size(), 3u) << j.err;
  EXPECT_EQ(a[0]["code"], "W2");
  EXPECT_EQ(a[0]["line"], 4);
  EXPECT_EQ(a[1]["code"], "E16");
  EXPECT_EQ(a[1]["file"], treno_txt);
  EXPECT_EQ(a[1]["line"], 18);
  EXPECT_EQ(a[1]["column"], 13);
  EXPECT_EQ(a[1]["end_column"], 17);
  EXPECT_EQ(a[1]["severity"], "error");
  EXPECT_EQ(a[1]["after_first_fault"], false);
  EXPECT_EQ(a[2]["code"], "E16");
  EXPECT_EQ(a[2]["line"], 20);
  EXPECT_EQ(a[2]["after_first_fault"], true);

  const Esito s = esegui("compile", {"--diagnostics-format", "sarif"});
  EXPECT_EQ(s.stato, 1);
  const nlohmann::json r = nlohmann::json::parse(s.err);
  EXPECT_EQ(r["version"], "2.1.0");
  ASSERT_EQ(r["runs"][0]["results"].size(), 3u);
  EXPECT_EQ(r["runs"][0]["results"][1]["ruleId"], "E16");
  EXPECT_EQ(r["runs"][0]["results"][1]["level"], "error");
  EXPECT_EQ(r["runs"][0]["results"][1]["locations"][0]["physicalLocation"]["region"]["startLine"], 18);
}

TEST_F(Diagnostiche, ReservedSlotAndSwappedArgumentsNameTheirCause) {
  modifica(treno_txt, "segnale,    3500,", "segnale,       0,");
  const Esito e = esegui("check");
  EXPECT_EQ(e.stato, 3);
  EXPECT_EQ(e.err.substr(0, e.err.find('\n')),
            treno_txt + ":17:16: error: Errore n. 1250: cell 1, at the start of the line, already holds a value "
                        "from the signal of line 17; that slot is reserved for the compiled files' mark, so place "
                        "the element further along the line. No compiled file written. [E1250]");

  const Esito s = esegui_programma(dir.path(), {"check", treno_txt, linea_txt, "--name", "X", "--train", "1"});
  EXPECT_EQ(s.stato, 1);
  EXPECT_NE(s.err.find(linea_txt + ": note: this file holds the line description's keys and \"" + treno_txt +
                       "\" the train description's: the LINE and TRAIN arguments look swapped"),
            std::string::npos)
      << s.err;
}

// Standard error of the program run on a terminal (a pseudo-terminal), with
// NO_COLOR set or not.
std::string su_terminale(const std::string& cwd, const std::vector<std::string>& args, bool no_color) {
  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(120);
    ::unsetenv("DISPLAY");
    if (no_color) ::setenv("NO_COLOR", "1", 1);
    else ::unsetenv("NO_COLOR");
    std::vector<char*> argv{const_cast<char*>("scenario-compiler")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(SC_PROGRAM, argv.data());
    ::_exit(127);
  }
  std::string s;
  char buf[4096];
  for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) s.append(buf, static_cast<size_t>(n));
  ::close(master);
  int stato = 0;
  ::waitpid(pid, &stato, 0);
  return s;
}

TEST_F(Diagnostiche, ColourOnATerminalUnlessNoColorOrNeverAndWhenAlwaysAsked) {
  modifica(treno_txt, "velocita,    1500,   250", "velocia,    1500,   250");
  const std::vector<std::string> check{"check", linea_txt, treno_txt};
  const auto con = [&](std::vector<std::string> extra) {
    std::vector<std::string> a = check;
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  };
  const std::string esc = "\x1b[";
  EXPECT_NE(su_terminale(dir.path(), check, false).find(esc + "1;35mwarning:"), std::string::npos);
  EXPECT_EQ(su_terminale(dir.path(), check, true).find(esc), std::string::npos);
  EXPECT_EQ(su_terminale(dir.path(), con({"--color", "never"}), false).find(esc), std::string::npos);
  EXPECT_NE(su_terminale(dir.path(), con({"--color", "always"}), true).find(esc), std::string::npos);
  // Not a terminal (a file): none unless asked.
  EXPECT_EQ(esegui("check").err.find(esc), std::string::npos);
  EXPECT_NE(esegui("check", {"--color", "always"}).err.find(esc), std::string::npos);
  EXPECT_EQ(esegui("check", {"--color", "sometimes"}).stato, 2);
}

}  // namespace
