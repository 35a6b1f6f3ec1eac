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

#include "tests/run_program.h"
#include "tests/support/test_dir.h"

namespace {

using namespace sc::test;
using namespace sc::test::file_scenario;
using Outcome = ProgramOutcome;

class Diagnostics : public ::testing::Test {
 protected:
  void SetUp() override {
    const Outcome e = run_program(dir.path(), {"export"});
    ASSERT_EQ(e.status, 0) << e.err;
  }
  void change(const std::string& file, const std::string& from, const std::string& a) {
    std::string t = read_bytes(dir / file);
    ASSERT_NO_FATAL_FAILURE(replace(t, from, a));
    write(dir / file, t);
  }
  Outcome run(const std::string& command, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{command, linea_txt, treno_txt};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_program(dir.path(), args);
  }
  TempDir dir;
};

TEST_F(Diagnostics, WarningsLeaveTheStatusAloneUnlessStrict) {
  change(treno_txt, "velocita,    1500,   250", "velocia,    1500,   250");
  for (const std::string command : {"compile", "check"}) {
    SCOPED_TRACE(command);
    const Outcome e = run(command);
    EXPECT_EQ(e.status, 0) << e.err;
    EXPECT_EQ(e.err,
              treno_txt +
                  ":10:1: warning: unknown key \"velocia\": the entry is skipped; did you mean "
                  "`velocita`? [W1]\n"
                  "velocia,    1500,   250\n"
                  "^~~~~~~\n"
                  "scenario-compiler: 1 warning: 1 entry skipped\n");
    const Outcome s = run(command, {"--strict"});
    EXPECT_EQ(s.status, 1) << s.err;
    EXPECT_NE(s.err.find("--strict makes them faults"), std::string::npos) << s.err;
  }
  // --strict on a clean scenario changes nothing.
  change(treno_txt, "velocia,    1500,   250", "velocita,    1500,   250");
  const Outcome clean = run("check", {"--strict"});
  EXPECT_EQ(clean.status, 0);
  EXPECT_EQ(clean.err, "");
}

TEST_F(Diagnostics, TrainNumberThatDiffersFromTheFileNameIsAWarning) {
  const Outcome e = run("compile", {"--train", "410"});
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(
      e.err.substr(0, e.err.find('\n')),
      treno_txt +
          ": warning: --train 410 differs from the train number 409 of the file name; the compiled "
          "files are named after 410 [W12]");
  EXPECT_TRUE(std::filesystem::exists(dir / "Corvale_Pravena AV_410.dat"));
  EXPECT_EQ(run("check", {"--train", "409"}).err, "");  // the same number: nothing to say
}

TEST_F(Diagnostics, JsonAndSarifOnStandardErrorParseBack) {
  // A fault that ends the parse, one found after it, and a warning.
  change(treno_txt, "segnale,    7500,", "segnale,    3500,");
  change(treno_txt, "segnale,   12000,", "segnale,    9500,");
  change(treno_txt, "sabbia,    300", "sabbia,    300,  20");
  const Outcome j = run("check", {"--diagnostics-format", "json"});
  EXPECT_EQ(j.status, 1);
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

  const Outcome s = run("compile", {"--diagnostics-format", "sarif"});
  EXPECT_EQ(s.status, 1);
  const nlohmann::json r = nlohmann::json::parse(s.err);
  EXPECT_EQ(r["version"], "2.1.0");
  ASSERT_EQ(r["runs"][0]["results"].size(), 3u);
  EXPECT_EQ(r["runs"][0]["results"][1]["ruleId"], "E16");
  EXPECT_EQ(r["runs"][0]["results"][1]["level"], "error");
  EXPECT_EQ(r["runs"][0]["results"][1]["locations"][0]["physicalLocation"]["region"]["startLine"],
            18);
}

TEST_F(Diagnostics, ReservedSlotAndSwappedArgumentsNameTheirCause) {
  change(treno_txt, "segnale,    3500,", "segnale,       0,");
  const Outcome e = run("check");
  EXPECT_EQ(e.status, 3);
  EXPECT_EQ(
      e.err.substr(0, e.err.find('\n')),
      treno_txt +
          ":17:16: error: Errore n. 1250: cell 1, at the start of the line, already holds a value "
          "from the signal of line 17; that slot is reserved for the compiled files' mark, so "
          "place "
          "the element further along the line. No compiled file written. [E1250]");

  const Outcome s =
      run_program(dir.path(), {"check", treno_txt, linea_txt, "--name", "X", "--train", "1"});
  EXPECT_EQ(s.status, 1);
  EXPECT_NE(s.err.find(linea_txt + ": note: this file holds the line description's keys and \"" +
                       treno_txt +
                       "\" the train description's: the LINE and TRAIN arguments look swapped"),
            std::string::npos)
      << s.err;
}

// Standard error of the program run on a terminal (a pseudo-terminal), with
// NO_COLOR set or not.
std::string on_terminal(const std::string& cwd, const std::vector<std::string>& args,
                        bool no_color) {
  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(120);
    ::unsetenv("DISPLAY");
    if (no_color)
      ::setenv("NO_COLOR", "1", 1);
    else
      ::unsetenv("NO_COLOR");
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
  int status = 0;
  ::waitpid(pid, &status, 0);
  return s;
}

TEST_F(Diagnostics, ColourOnATerminalUnlessNoColorOrNeverAndWhenAlwaysAsked) {
  change(treno_txt, "velocita,    1500,   250", "velocia,    1500,   250");
  const std::vector<std::string> check{"check", linea_txt, treno_txt};
  const auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> a = check;
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  };
  const std::string esc = "\x1b[";
  EXPECT_NE(on_terminal(dir.path(), check, false).find(esc + "1;35mwarning:"), std::string::npos);
  EXPECT_EQ(on_terminal(dir.path(), check, true).find(esc), std::string::npos);
  EXPECT_EQ(on_terminal(dir.path(), with({"--color", "never"}), false).find(esc),
            std::string::npos);
  EXPECT_NE(on_terminal(dir.path(), with({"--color", "always"}), true).find(esc),
            std::string::npos);
  // Not a terminal (a file): none unless asked.
  EXPECT_EQ(run("check").err.find(esc), std::string::npos);
  EXPECT_NE(run("check", {"--color", "always"}).err.find(esc), std::string::npos);
  EXPECT_EQ(run("check", {"--color", "sometimes"}).status, 2);
}

// Text shows the first diagnostics and counts the rest; the summary and
// the machine formats count and carry every one.
TEST_F(Diagnostics, TextShowsTheFirstDiagnosticsAndCountsTheRest) {
  std::string extra;
  for (int i = 0; i < 205; ++i) extra += "velocia" + std::to_string(i) + ", 1500, 250\r\n";
  change(treno_txt, "velocita,    1500,   250", extra + "velocita,    1500,   250");
  const auto shown = [](const std::string& err) {
    size_t n = 0;
    for (size_t i = err.find("warning: unknown key"); i != std::string::npos;
         i = err.find("warning: unknown key", i + 1))
      ++n;
    return n;
  };
  struct Case {
    std::vector<std::string> options;
    size_t shown;
    std::string more;  // the count of those not shown, or "" when all are shown
  };
  const std::vector<Case> cases{
      {{},
       200,
       "scenario-compiler: 5 more diagnostics not shown; --max-diagnostics 0 shows them "
       "all\n"},
      {{"--max-diagnostics", "0"}, 205, ""},
      {{"--max-diagnostics", "204"},
       204,
       "scenario-compiler: 1 more diagnostic not shown; --max-diagnostics 0 shows them all\n"},
      {{"--max-diagnostics", "205"}, 205, ""},
  };
  for (const std::string command : {"compile", "check"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(command + " " + (c.options.empty() ? "" : c.options[1]));
      const Outcome e = run(command, c.options);
      EXPECT_EQ(e.status, 0);
      EXPECT_EQ(shown(e.err), c.shown);
      const std::string summary = "scenario-compiler: 205 warnings: 205 entries skipped\n";
      ASSERT_GE(e.err.size(), summary.size());
      EXPECT_EQ(e.err.substr(e.err.size() - summary.size()), summary);
      EXPECT_EQ(e.err.find(" not shown") != std::string::npos, !c.more.empty());
      if (!c.more.empty()) {
        EXPECT_EQ(e.err.substr(e.err.size() - summary.size() - c.more.size(), c.more.size()),
                  c.more);
      }
    }
    for (const std::string format : {"json", "sarif"}) {
      const Outcome m = run(command, {"--diagnostics-format", format, "--max-diagnostics", "1"});
      EXPECT_EQ(m.status, 0);
      const nlohmann::json j = nlohmann::json::parse(m.err);
      EXPECT_EQ((format == "json" ? j : j["runs"][0]["results"]).size(), 205u) << format;
    }
  }
}

}  // namespace
