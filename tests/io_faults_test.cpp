// The built program against a failing disk and inputs that are not what
// they should be. Every case ends with a documented status (0 compiled,
// 1 compiled with faults, 2 usage error or unreadable input, 4 output not
// written), a message naming the file, the author's descriptions unchanged,
// no temporary file left, and, where nothing new could be written, the
// compiled files of the earlier compile exactly as they were.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <thread>

#include "tests/run_program.h"
#include "tests/support/test_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace sc::test;
using namespace sc::test::file_scenario;

const size_t byte_celle = 15u * 1981u;  // cells 0 to 1980 of the 92000 m line

// What differs between two directory contents, by name and size ("" when
// nothing does), so that a failure never prints the bytes.
std::string differences(const Contents& a, const Contents& b) {
  std::string d;
  for (const auto& [nome, bytes] : a) {
    const auto it = b.find(nome);
    if (it == b.end())
      d += nome + " is gone; ";
    else if (it->second != bytes)
      d += nome + " differs (" + std::to_string(bytes.size()) + " vs " +
           std::to_string(it->second.size()) + " bytes); ";
  }
  for (const auto& [nome, bytes] : b)
    if (!a.count(nome)) d += nome + " is new; ";
  return d;
}

std::string all(std::string s, const std::string& from, const std::string& a) {
  for (size_t i = s.find(from); i != std::string::npos; i = s.find(from, i + a.size()))
    s.replace(i, from.size(), a);
  return s;
}

// A working directory with the exported scenario, the compiled files of an
// earlier, different version of it in "out", and the compiled files of the
// current version (what a good compile gives) at hand.
class IoFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ::chmod(dir.path().c_str(), 0755);  // an ordinary user may read the sources
    ASSERT_EQ(run({"export"}).status, 0);
    linea = read_bytes(dir / linea_txt);
    treno = read_bytes(dir / treno_txt);

    const ProgramOutcome outcome = run({"compile", linea_txt, treno_txt, "--out", "nuovo"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    fresh = contents(dir / "nuovo");
    ASSERT_EQ(fresh.size(), 3u);

    // The earlier version: another last curve and another sand value.
    std::string l = linea, t = treno;
    replace(l, "curvad3,  88000,  4500", "curvas2,  88000,  4000");
    replace(t, "sabbia,    300", "sabbia,    250");
    replace(t, "velocita,    1500,   250", "velocita,    1500,   200");
    write(dir / linea_txt, l);
    write(dir / treno_txt, t);
    linea_before = l;
    treno_before = t;
    ASSERT_EQ(run({"compile", linea_txt, treno_txt, "--out", "out"}).status, 0);
    write(dir / linea_txt, linea);
    write(dir / treno_txt, treno);
    before = contents(dir / "out");
    for (const std::string& f : {linea_dat, sim, dat})
      ASSERT_TRUE(before.at(f) != fresh.at(f)) << f;
  }

  ProgramOutcome run(std::vector<std::string> args, bool without_root = false,
                     std::optional<rlim_t> file_limit = std::nullopt) {
    ProgramRun e;
    e.args = std::move(args);
    e.cwd = dir.path();
    e.without_root = without_root;
    e.file_limit = file_limit;
    return run_program(e);
  }

  // The compile of the two sources into "out" (unless `extra` names
  // another --out), with `extra` arguments.
  ProgramOutcome compile(std::vector<std::string> extra = {}, bool without_root = false,
                         std::optional<rlim_t> file_limit = std::nullopt) {
    std::vector<std::string> args{"compile", linea_txt, treno_txt};
    if (std::find(extra.begin(), extra.end(), "--out") == extra.end())
      args.insert(args.end(), {"--out", "out"});
    args.insert(args.end(), extra.begin(), extra.end());
    return run(args, without_root, file_limit);
  }

  // The earlier compiled files back in "out", the descriptions `l` and `t`
  // in place of the sources, and their compile.
  ProgramOutcome compile_descriptions(const std::string& l, const std::string& t) {
    restore();
    write(dir / linea_txt, l);
    write(dir / treno_txt, t);
    return compile();
  }

  // The earlier compiled files back in "out", as they were.
  void restore() {
    fs::permissions(dir / "out", fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir / "out");
    fs::create_directory(dir / "out");
    for (const auto& [nome, bytes] : before) write(dir / "out" + "/" + nome, bytes);
  }

  void intact_sources() {
    EXPECT_EQ(read_bytes(dir / linea_txt), linea);
    EXPECT_EQ(read_bytes(dir / treno_txt), treno);
  }

  TempDir dir;
  std::string linea, treno;
  std::string linea_before, treno_before;  // the descriptions of the earlier version
  Contents before, fresh;
};

TEST_F(IoFaults, OutputThatCannotBeWrittenIsStatus4AndLeavesTheEarlierFiles) {
  const struct {
    const char* test_case;
    std::function<void(const std::string& out)> prepare;
    std::vector<std::string> extra;
    bool without_root;
    std::string message;
  } cases[] = {
      {"read-only directory",
       [](const std::string& out) { ::chmod(out.c_str(), 0555); },
       {},
       true,
       "scenario-compiler: cannot write \"out/" + linea_dat + "\": Permission denied\n"},
      {"output directory below a file",
       [](const std::string&) {},
       {"--out", treno_txt + "/out"},
       false,
       "scenario-compiler: cannot create the directory \"" + treno_txt +
           "/out\": Not a directory\n"},
      // Last, so that its directory is still there after the loop.
      {"a directory where the track plan should be",
       [](const std::string& out) {
         fs::remove(out + "/" + linea_dat);
         fs::create_directory(out + "/" + linea_dat);
         write(out + "/" + linea_dat + "/inside", "kept");
       },
       {},
       false,
       "scenario-compiler: cannot write \"out/" + linea_dat + "\": Is a directory\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    restore();
    c.prepare(dir / "out");
    const Contents expected = contents(dir / "out");
    const ProgramOutcome e = compile(c.extra, c.without_root);
    EXPECT_EQ(e.status, 4) << e.err;
    EXPECT_EQ(e.err, c.message);
    EXPECT_EQ(differences(contents(dir / "out"), expected),
              "");  // nothing replaced, no temporary file
    intact_sources();
  }
  // The directory in place of a file was left as it was.
  EXPECT_EQ(read_bytes(dir / "out/" + linea_dat + "/inside"), "kept");
}

TEST_F(IoFaults, MissingOutputDirectoryIsCreated) {
  const ProgramOutcome e = compile({"--out", "nuova/cartella"});
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(differences(contents(dir / "nuova/cartella"), fresh), "");
}

// A disk that fills: the process may write no file beyond a size limit, so a
// write fails part-way with "File too large", as it would with "No space
// left on device".
TEST_F(IoFaults, DiskThatFillsDuringAWriteLeavesNoHalfWrittenFile) {
  {
    SCOPED_TRACE("the track plan (2 MB) does not fit: nothing is replaced");
    restore();
    const ProgramOutcome e = compile({}, false, 64 * 1024);
    EXPECT_EQ(e.status, 4) << e.err;
    EXPECT_EQ(e.err, "scenario-compiler: cannot write \"out/" + linea_dat + "\": File too large\n");
    EXPECT_EQ(differences(contents(dir / "out"), before), "");
    intact_sources();
  }
  {
    SCOPED_TRACE(
        "without track plan the element table (3455 bytes) fits, the cells (29715 bytes) do not");
    restore();
    const ProgramOutcome e = compile({"--no-plan"}, false, 16 * 1024);
    EXPECT_EQ(e.status, 4) << e.err;
    EXPECT_EQ(e.err, "scenario-compiler: cannot write \"out/" + dat + "\": File too large\n");
    // The files are replaced together: the element table, which fitted,
    // is not renamed over the earlier one when the cells fail.
    EXPECT_EQ(differences(contents(dir / "out"), before), "");
  }
}

// The same on a real full file system, where one can be mounted (root with
// the right to mount): a 3 MB tmpfs holding the earlier files (2 MB) has no
// room for a second track plan.
TEST_F(IoFaults, FullFileSystemLeavesTheEarlierFiles) {
  const std::string small = dir / "piccolo";
  fs::create_directory(small);
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=3m") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
  }
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{small};
  for (const auto& [nome, bytes] : before) write(small + "/" + nome, bytes);
  const ProgramOutcome e = compile({"--out", "piccolo"});
  EXPECT_EQ(e.status, 4) << e.err;
  EXPECT_EQ(e.err, "scenario-compiler: cannot write \"piccolo/" + linea_dat +
                       "\": No space left on device\n");
  EXPECT_EQ(differences(contents(small), before), "");
}

TEST_F(IoFaults, InputThatCannotBeReadIsStatus2) {
  fs::create_directory(dir / "cartella_linea.txt");
  write(dir / "chiuso_409-.txt", treno);
  ::chmod((dir / "chiuso_409-.txt").c_str(), 0);
  ::mkfifo((dir / "tubo_409-.txt").c_str(), 0600);  // reading it would block forever
  fs::create_symlink("/dev/zero", dir / "zero_409-.txt");
  // Sparse: one byte above the most a description may hold, nothing on disk.
  write(dir / "grande_409-.txt", "");
  fs::resize_file(dir / "grande_409-.txt", (uintmax_t{1} << 30) + 1);
  const struct {
    const char* test_case;
    std::string linea, treno;
    std::string message;
  } cases[] = {
      {"line description is a directory", "cartella_linea.txt", treno_txt,
       "scenario-compiler: \"cartella_linea.txt\" is a directory, not a file\n"},
      {"train description missing", linea_txt, "assente_409-.txt",
       "scenario-compiler: cannot read \"assente_409-.txt\": No such file or directory\n"},
      {"train description unreadable", linea_txt, "chiuso_409-.txt",
       "scenario-compiler: cannot read \"chiuso_409-.txt\": Permission denied\n"},
      {"train description is a pipe", linea_txt, "tubo_409-.txt",
       "scenario-compiler: \"tubo_409-.txt\" is not a regular file\n"},
      {"line description is a device", "/dev/zero", treno_txt,
       "scenario-compiler: \"/dev/zero\" is not a regular file\n"},
      {"train description is a link to a device", linea_txt, "zero_409-.txt",
       "scenario-compiler: \"zero_409-.txt\" is not a regular file\n"},
      {"train description above the size limit", linea_txt, "grande_409-.txt",
       "scenario-compiler: \"grande_409-.txt\" is larger than the 1073741824 bytes an input file "
       "may have\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    const ProgramOutcome e =
        run({"compile", c.linea, c.treno, "--out", "out"}, /*without_root=*/true);
    EXPECT_EQ(e.status, 2) << e.err;
    EXPECT_EQ(e.err, c.message);
    EXPECT_EQ(differences(contents(dir / "out"), before), "");
    intact_sources();
  }
}

// Files that can be read but hold no good description: faults named with
// the file and line, short enough to read, status 1.
TEST_F(IoFaults, InputThatIsNoDescriptionIsReportedAtItsFile) {
  std::mt19937 random(12345);
  std::string track(4096, '\0');
  for (char& c : track) c = static_cast<char>(random());
  std::string nul_linea = linea, nul_treno = treno, huge_number = treno;
  replace(nul_linea, "lunghezza percorso,    92000",
          "lunghezza percorso,    92" + std::string("\0\0\x1b", 3));
  replace(nul_treno, "sabbia,    300", "sabbia,    3" + std::string(2, '\0'));
  replace(huge_number, "sabbia,    300", "sabbia,    " + std::string(10'000'000, '7'));

  const struct {
    const char* test_case;
    std::string linea, treno;
    std::string message;  // the start of standard error
    bool compiled;        // the compile got as far as the cells: files written
  } cases[] = {
      {"empty line description", "", treno,
       linea_txt + ":1:1: error: expected a field, got the end of the file [E25]\n", false},
      {"binary line description", track, treno, linea_txt + ":", false},
      {"NUL bytes in the line length", nul_linea, treno,
       linea_txt + ":2:24: error: field 2 of \"lunghezza percorso\": expected a whole number, got "
                   "\"92\\x00\\x00\\x1b\"",
       false},
      {"NUL bytes in a train value", linea, nul_treno,
       treno_txt + ":4:12: error: field 2 of \"sabbia\": expected a whole number -32768..32767, "
                   "got \"3\\x00\\x00\"",
       true},
      {"a 10 MB line without a separator", std::string(10'000'000, 'x'), treno,
       linea_txt + ":1:1: error: no field containing \"[generale]\"", false},
      {"a 10 MB number", linea, huge_number,
       treno_txt + ":4:12: error: field 2 of \"sabbia\": value " + std::string(40, '7') +
           "... does not fit",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    const ProgramOutcome e = compile_descriptions(c.linea, c.treno);
    EXPECT_EQ(e.status, 1) << e.err.substr(0, 2000);
    EXPECT_EQ(e.err.substr(0, c.message.size()), c.message) << e.err.substr(0, 2000);
    EXPECT_LT(e.err.size(), 2000u);  // a long line is shown as an excerpt
    for (char ch : e.err) {
      const unsigned char u = static_cast<unsigned char>(ch);
      ASSERT_FALSE((u < 0x20 && ch != '\n' && ch != '\t') || u == 0x7F)
          << "control character " << int(u);
    }
    const Contents after = contents(dir / "out");
    if (c.compiled) {
      EXPECT_EQ(list_dir(dir / "out"), (std::set<std::string>{linea_dat, sim, dat}));
      EXPECT_EQ(after.at(dat).size(), byte_celle);
    } else {
      EXPECT_EQ(differences(after, before), "");
    }
    EXPECT_EQ(read_bytes(dir / linea_txt), c.linea);
    EXPECT_EQ(read_bytes(dir / treno_txt), c.treno);
  }
}

// Any line end, a byte-order mark, everything on one line, a 10 MB comment
// line: the same description, the same compiled files.
TEST_F(IoFaults, LineEndsByteOrderMarkAndLongLinesReadAlike) {
  std::string comment = treno;
  replace(comment, "[segnali]\r\n", "[segnali]\r\n- " + std::string(10'000'000, 'x') + "\r\n");
  const struct {
    const char* test_case;
    std::string linea, treno;
  } cases[] = {
      {"LF only", all(linea, "\r\n", "\n"), all(treno, "\r\n", "\n")},
      {"CR only", all(linea, "\r\n", "\r"), all(treno, "\r\n", "\r")},
      {"byte-order mark", "\xEF\xBB\xBF" + linea, "\xEF\xBB\xBF" + treno},
      {"each file on one line", all(linea, "\r\n", ","), all(treno, "\r\n", ",")},
      {"a 10 MB comment line", linea, comment},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    const ProgramOutcome e = compile_descriptions(c.linea, c.treno);
    EXPECT_EQ(e.status, 0) << e.err.substr(0, 2000);
    EXPECT_EQ(e.err, "");
    EXPECT_EQ(differences(contents(dir / "out"), fresh), "");
  }
}

// The program started without waiting for it, its output discarded.
pid_t start(const std::string& cwd, const std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>("scenario-compiler")};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int nothing = ::open("/dev/null", O_WRONLY);
    if (::chdir(cwd.c_str()) != 0 || nothing < 0 || ::dup2(nothing, 1) < 0 ||
        ::dup2(nothing, 2) < 0)
      ::_exit(120);
    ::execv(SC_PROGRAM, argv.data());
    ::_exit(123);
  }
  return pid;
}

int wait_for_exit(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(IoFaults, SyncReplacesTheSameFilesAndAFailedWriteLeavesTheEarlierOnes) {
  restore();
  ProgramOutcome e = compile({"--sync"});
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(differences(contents(dir / "out"), fresh), "");  // no temporary file either

  restore();
  e = compile({"--sync"}, false, 64 * 1024);
  EXPECT_EQ(e.status, 4) << e.err;
  EXPECT_EQ(e.err, "scenario-compiler: cannot write \"out/" + linea_dat + "\": File too large\n");
  EXPECT_EQ(differences(contents(dir / "out"), before), "");

  // The embedded run likewise.
  e = run({"--out", "run", "--sync"});
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(list_dir(dir / "run"),
            (std::set<std::string>{note, rallentamenti, scheda, linea_dat, sim, dat}));
  for (const std::string& f : {linea_dat, sim, dat})
    EXPECT_TRUE(read_bytes(dir / "run/" + f) == fresh.at(f)) << f;
}

TEST_F(IoFaults, PlotReplacesItsPictureWholeAndNeverWritesThroughALink) {
  write(dir / "mine.svg", "an author's drawing");
  fs::create_symlink("mine.svg", dir / "plot.svg");
  ProgramOutcome e = run({"plot", "nuovo", "-o", "plot.svg"});
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(read_bytes(dir / "mine.svg"), "an author's drawing");
  EXPECT_FALSE(fs::is_symlink(dir / "plot.svg"));
  const std::string drawing = read_bytes(dir / "plot.svg");
  EXPECT_EQ(drawing.substr(0, 5), "<?xml");
  EXPECT_EQ(drawing.substr(drawing.size() - 7), "</svg>\n");

  // A plot that fails part-way leaves the earlier picture.
  e = run({"plot", "nuovo", "-o", "plot.svg"}, false, 8192);
  EXPECT_EQ(e.status, 4) << e.err;
  EXPECT_EQ(e.err, "scenario-compiler: cannot write \"plot.svg\": File too large\n");
  EXPECT_TRUE(read_bytes(dir / "plot.svg") == drawing);

  e = run({"plot", "nuovo", "-o", "manca/plot.png"});
  EXPECT_EQ(e.status, 4) << e.err;
  EXPECT_EQ(e.err,
            "scenario-compiler: cannot write manca/plot.png: the folder manca does not exist\n");
  EXPECT_EQ(list_dir(dir.path()),
            (std::set<std::string>{linea_txt, treno_txt, note, rallentamenti, scheda, "mine.svg",
                                   "plot.svg", "nuovo", "out"}));
}

TEST_F(IoFaults, TwoCompilesIntoOneDirectoryAtOnceLeaveOneWholeSet) {
  fs::create_directory(dir / "b");
  write(dir / "b/" + linea_txt, linea_before);
  write(dir / "b/" + treno_txt, treno_before);
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    fs::remove_all(dir / "out");
    const pid_t a = start(dir.path(), {"compile", linea_txt, treno_txt, "--out", "out"});
    const pid_t b =
        start(dir.path(), {"compile", "b/" + linea_txt, "b/" + treno_txt, "--out", "out"});
    EXPECT_EQ(wait_for_exit(a), 0);
    EXPECT_EQ(wait_for_exit(b), 0);
    const Contents c = contents(dir / "out");
    EXPECT_TRUE(differences(c, fresh).empty() || differences(c, before).empty())
        << "current: " << differences(c, fresh) << "earlier: " << differences(c, before);
  }
}

TEST_F(IoFaults, AKilledCompileLeavesNoTemporaryFileForLong) {
  restore();
  for (int wait_us : {0, 1000, 3000, 6000, 10000, 20000, 40000}) {
    SCOPED_TRACE(wait_us);
    const pid_t pid = start(dir.path(), {"compile", linea_txt, treno_txt, "--out", "out"});
    std::this_thread::sleep_for(std::chrono::microseconds(wait_us));
    ::kill(pid, SIGKILL);
    wait_for_exit(pid);
    // Each file the earlier one or the new one, whole; nothing else but
    // what a kill between naming a temporary file and renaming it leaves.
    for (const auto& [nome, bytes] : contents(dir / "out")) {
      if (before.count(nome)) {
        EXPECT_TRUE(bytes == before.at(nome) || bytes == fresh.at(nome)) << nome;
      } else {
        EXPECT_EQ(nome.rfind(".scenario-compiler-", 0), 0u) << nome;
      }
    }
  }
  // The next compile removes what is left.
  EXPECT_EQ(compile().status, 0);
  EXPECT_EQ(differences(contents(dir / "out"), fresh), "");
}

TEST_F(IoFaults, ATextLongerThanTheElementTableHoldsIsFault25) {
  const struct {
    const char* test_case;
    bool in_linea;
    std::string text;
    size_t lunghezza;
    std::string message;
  } cases[] = {
      {"station name of 65535 bytes", false, "SAN PELLEGRINO", 65535, ""},
      {"station name of 65536 bytes", false, "SAN PELLEGRINO", 65536,
       treno_txt + ":13:73: error: field 18 of \"stazione\": station name is 65536 bytes long; the "
                   "element table "
                   "holds at most 65535 [E25]\n"},
      {"board text of 65535 bytes", true, "(   GALLERIA)(   SADURANO)(   Km. 3767)", 65535, ""},
      {"board text of 65536 bytes", true, "(   GALLERIA)(   SADURANO)(   Km. 3767)", 65536,
       linea_txt + ":63:32: error: field 3 of \"cartello_indicatore\": board text is 65536 bytes "
                   "long; the element "
                   "table holds at most 65535 [E25]\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    std::string l = linea, t = treno;
    replace(c.in_linea ? l : t, c.text, std::string(c.lunghezza, 'S'));
    const ProgramOutcome e = compile_descriptions(l, t);
    EXPECT_EQ(e.status, c.message.empty() ? 0 : 1) << e.err.substr(0, 1000);
    EXPECT_EQ(e.err.substr(0, c.message.size()), c.message);
    EXPECT_EQ(list_dir(dir / "out"), (std::set<std::string>{linea_dat, sim, dat}));
    const std::string table = read_bytes(dir / "out/" + sim);
    // The whole text in the element table, or the entry not placed.
    EXPECT_EQ(table.find(std::string(c.lunghezza, 'S')) != std::string::npos, c.message.empty());
  }
}

TEST_F(IoFaults, OutputNamesUpToTheSystemsLimitAreWritten) {
  for (size_t n : {238u, 245u}) {  // NAME_linea.dat of 248 and 255 bytes
    SCOPED_TRACE(n);
    const std::string nome(n, 'n');
    fs::remove_all(dir / "lunghi");
    const ProgramOutcome e =
        run({"compile", linea_txt, treno_txt, "--name", nome, "--train", "1", "--out", "lunghi"});
    EXPECT_EQ(e.status, 0) << e.err;
    EXPECT_EQ(list_dir(dir / "lunghi"),
              (std::set<std::string>{nome + "_linea.dat", nome + "_1.sim", nome + "_1.dat"}));
  }
}

TEST_F(IoFaults, EmbeddedRunKeepsADescriptionThatDiffersFromItsOwn) {
  std::string l = linea;
  replace(l, "curvad3,  88000,  4500", "curvas2,  88000,  4000");
  for (const std::string& f : {std::string("edited"), std::string("exported")}) {
    fs::create_directory(dir / f);
    write(dir / f + "/" + linea_txt, f == "edited" ? l : linea);
    write(dir / f + "/" + treno_txt, treno);
  }
  const Contents changed = contents(dir / "edited");
  ProgramOutcome e = run({"--out", "edited"});
  EXPECT_EQ(e.status, 4);
  EXPECT_EQ(
      e.err,
      "Attendere\nscenario-compiler: \"edited/" + linea_txt +
          "\" is not the embedded scenario's line description; the run would replace it and then "
          "delete it. Nothing written (move it away, or give --force to replace it)\n");
  EXPECT_EQ(differences(contents(dir / "edited"), changed), "");

  // Unedited copies, or --force: the run as ever.
  const std::set<std::string> after_run{note, rallentamenti, scheda, linea_dat, sim, dat};
  e = run({"--out", "exported"});
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(list_dir(dir / "exported"), after_run);
  e = run({"--out", "edited", "--force"});
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(list_dir(dir / "edited"), after_run);
  EXPECT_TRUE(read_bytes(dir / "edited/" + linea_dat) == fresh.at(linea_dat));
}

TEST_F(IoFaults, ExportReplacesItsFiveFilesAsOneSet) {
  // The train sheet, written last (3733 bytes), does not fit.
  ProgramOutcome e = run({"export", "--out", "nuovo_export"}, false, 3500);
  EXPECT_EQ(e.status, 4) << e.err;
  EXPECT_EQ(e.err,
            "scenario-compiler: cannot write \"nuovo_export/" + scheda + "\": File too large\n");
  EXPECT_EQ(list_dir(dir / "nuovo_export"), std::set<std::string>{});
  e = run({"export", "--out", "nuovo_export"});  // a retry needs no --force
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(list_dir(dir / "nuovo_export"),
            (std::set<std::string>{linea_txt, treno_txt, note, rallentamenti, scheda}));
}

}  // namespace
