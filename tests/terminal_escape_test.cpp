// Outside text never reaches the terminal raw: every place that echoes an
// argument, a file name, or a name or text read from a description or a
// compiled file is fed ESC, the C1 controls CSI and OSC written in UTF-8,
// BEL, a newline and a byte that is not UTF-8; none may come out as it is,
// and each must come out in its escaped form (so the point did echo).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/run_program.h"
#include "tests/support/test_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace sc::test;
using namespace sc::test::file_scenario;

// Clears the screen, starts a CSI and an OSC, rings, breaks the line.
const std::string hostile =
    "A\x1b[2J\xC2\x9B"
    "1m\xC2\x9D"
    "0;t\x07\nB\xFF";
const std::string hostile_shown = "A\\x1b[2J\\u009b1m\\u009d0;t\\x07\\x0aB\\xff";

// Every raw form of the hostile bytes; "\nB" is the newline of the text.
void expect_nothing_raw(const std::string& what, const std::string& output) {
  for (const std::string raw : {"\x1b", "\xC2\x9B", "\xC2\x9D", "\x07", "\nB", "\xFF"}) {
    EXPECT_EQ(output.find(raw), std::string::npos) << what << ": raw bytes in\n" << output;
  }
}

class TerminalEscape : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(run_program(dir.path(), {"export"}).status, 0);
    // A compiled set named after the hostile text.
    const ProgramOutcome c =
        run_program(dir.path(), {"compile", linea_txt, treno_txt, "--name", hostile, "--out", "c"});
    ASSERT_EQ(c.status, 0) << c.err;
  }
  TempDir dir;
};

TEST_F(TerminalEscape, NoEchoPointLetsAControlThrough) {
  const std::string compiled_sim = "c/" + hostile + "_409.sim";
  const struct {
    const char* what;
    std::vector<std::string> args;
  } cases[] = {
      {"an unknown command", {hostile}},
      {"explain", {"explain", hostile}},
      {"cannot read", {"compile", hostile, treno_txt}},
      {"--color", {"check", linea_txt, treno_txt, "--color", hostile}},
      {"--name and the wrote lines", {"compile", linea_txt, treno_txt, "--name", hostile}},
      {"inspect --cells", {"inspect", compiled_sim, "--cells", hostile}},
      {"inspect --km", {"inspect", compiled_sim, "--km", hostile}},
      {"inspect --only", {"inspect", compiled_sim, "--only", hostile}},
      {"plot --size", {"plot", "c", "--size", hostile, "-o", "p.png"}},
      {"plot --from", {"plot", "c", "--from", hostile, "-o", "p.png"}},
      {"plot's wrote line", {"plot", "c", "-o", hostile + ".png"}},
      {"view", {"view", hostile}},
      // names from the folder and from the compiled files, and the
      // suggested command line
      {"decompile", {"decompile", "c", "--out", "d"}},
  };
  for (const auto& c : cases) {
    const ProgramOutcome r = run_program(dir.path(), c.args);
    expect_nothing_raw(c.what, r.out + r.err);
    EXPECT_NE((r.out + r.err).find(hostile_shown), std::string::npos)
        << c.what << ": the text is not echoed escaped:\n"
        << r.out << r.err;
  }
}

TEST_F(TerminalEscape, DecompileQuotesItsCommandLineForTheShell) {
  const ProgramOutcome r = run_program(dir.path(), {"decompile", "c", "--out", "d"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(" compile 'd/" + hostile_shown + "_linea.txt' 'd/" + hostile_shown +
                       "_409-.txt'\n"),
            std::string::npos)
      << r.out;
}

TEST_F(TerminalEscape, DiagnosticsEscapeTheFileTheLineAndTheMessage) {
  // A UTF-8 line description, in a folder whose name holds ESC, with an
  // entry whose key holds ESC and the C1 controls.
  std::string linea = read_bytes(dir / linea_txt);
  const size_t fine = linea.find("[fine]");
  ASSERT_NE(fine, std::string::npos);
  linea.insert(fine,
               "\x1b[2J\xC2\x9B"
               "CITT\xC2\x9D, 100\r\n");
  const std::string folder = "d\x1b[31m";
  fs::create_directory(dir / folder);
  write(dir / folder + "/" + linea_txt, linea);
  const ProgramOutcome r = run_program(dir.path(), {"check", folder + "/" + linea_txt, treno_txt});
  EXPECT_EQ(r.status, 0) << r.err;
  expect_nothing_raw("check", r.err);
  EXPECT_NE(r.err.find("d\\x1b[31m/" + linea_txt + ":"), std::string::npos) << r.err;
  // The quoted line and the caret under the whole key, which is shown
  // 23 characters wide.
  EXPECT_NE(r.err.find("\n\\x1b[2J\\u009bCITT\\u009d, 100\n^" + std::string(22, '~') + "\n"),
            std::string::npos)
      << r.err;
}

TEST_F(TerminalEscape, WindowsTextIsDecodedForTheTerminal) {
  // "CITTÀ" in Windows-1252 (À is 0xC0) reaches the terminal as UTF-8.
  std::string linea = read_bytes(dir / linea_txt);
  linea.insert(linea.find("[fine]"), "CITT\xC0, 100\r\n");
  write(dir / linea_txt, linea);
  const ProgramOutcome r = run_program(dir.path(), {"check", linea_txt, treno_txt});
  EXPECT_NE(r.err.find("unknown key \"CITT\xC3\x80\""), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\nCITT\xC3\x80, 100\n^~~~~\n"), std::string::npos) << r.err;
  expect_nothing_raw("check", r.err);
}

}  // namespace
