// A set of files replaced together is whole after any kill, or known to be
// unfinished; a writer that finds its directory locked says so, ends on
// Ctrl-C and gives up after --wait.
//
// The kills are placed by strace at the Nth rename of a run, for every N
// the run makes: SIGKILL (the run dies there) and SIGINT (held until the set
// is whole).
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/run_program.h"
#include "tests/support/held_lock.h"

namespace sc::test {
namespace {

namespace fs = std::filesystem;
using namespace file_scenario;

const char* const strace = "/usr/bin/strace";
const std::string record = ".scenario-compiler-set";

// The files of `names` in `dir`, with their bytes ("" for a missing one).
Contents files_of(const std::string& dir, const std::vector<std::string>& names) {
  Contents m;
  for (const std::string& n : names) {
    std::error_code ec;
    m[n] = fs::exists(dir + "/" + n, ec) ? read_bytes(dir + "/" + n) : "";
  }
  return m;
}

// Names in `dir` that the program may leave only while it runs.
std::vector<std::string> leftovers(const std::string& dir) {
  std::vector<std::string> v;
  for (const std::string& n : list_dir(dir)) {
    if (n.rfind(".scenario-compiler-", 0) == 0) v.push_back(n);
  }
  return v;
}

// One writing command: its arguments (run in the test's directory), the
// files of its set in the directory it writes into, and how to make that
// directory hold a whole earlier set, different from the one it writes.
struct Writer {
  const char* name;
  std::vector<std::string> args;
  std::string out;  // the directory written into, under the test's directory
  std::vector<std::string> set;
  int renames;  // the renames one run makes
  std::function<void(const std::string& root)> prepare;
};

void must_run(const std::string& cwd, const std::vector<std::string>& args) {
  const ProgramOutcome r = run_program(cwd, args);
  ASSERT_EQ(r.status, 0) << r.err;
}

// Appends a line to every file of `set` in `dir`: an earlier set, whole,
// that no run writes.
void make_earlier(const std::string& dir, const std::vector<std::string>& set) {
  for (const std::string& n : set) {
    std::string bytes = read_bytes(dir + "/" + n);
    bytes += "earlier\n";
    write(dir + "/" + n, bytes);
  }
}

std::vector<Writer> writers() {
  const std::vector<std::string> compiled{linea_dat, sim, dat};
  const std::vector<std::string> texts{linea_txt, treno_txt, note, rallentamenti, scheda};
  return {
      {"compile",
       {"compile", "src/" + linea_txt, "src/" + treno_txt, "--out", "o"},
       "o",
       compiled,
       3,
       [=](const std::string& root) {
         must_run(root, {"export", "--out", "src"});
         must_run(root, {"compile", "src/" + linea_txt, "src/" + treno_txt, "--out", "o"});
         make_earlier(root + "/o", compiled);
       }},
      {"export",
       {"export", "--out", "o", "--force"},
       "o",
       texts,
       5,
       [=](const std::string& root) {
         must_run(root, {"export", "--out", "o"});
         make_earlier(root + "/o", texts);
       }},
      {"decompile",
       {"decompile", "bin", "--out", "o", "--force"},
       "o",
       {linea_txt, treno_txt},
       2,
       [=](const std::string& root) {
         must_run(root, {"--out", "bin"});
         must_run(root, {"decompile", "bin", "--out", "o"});
         make_earlier(root + "/o", {linea_txt, treno_txt});
       }},
      // The run replaces its five text files one by one, then its three
      // compiled files as one set; the descriptions go between the two.
      {"the run",
       {"--out", "o"},
       "o",
       {note, rallentamenti, scheda, linea_dat, sim, dat},
       8,
       [=](const std::string& root) {
         must_run(root, {"--out", "o"});
         make_earlier(root + "/o", {note, rallentamenti, scheda, linea_dat, sim, dat});
       }},
  };
}

// Each group of `set` (the run's documents and its compiled files are two
// groups) is either all earlier or all new.
void expect_whole(const Contents& now, const Contents& earlier, const Contents& fresh,
                  const std::vector<std::vector<std::string>>& groups) {
  for (const auto& g : groups) {
    int old_ones = 0, new_ones = 0;
    for (const std::string& n : g) {
      old_ones += now.at(n) == earlier.at(n);
      new_ones += now.at(n) == fresh.at(n);
    }
    const int all = static_cast<int>(g.size());
    EXPECT_TRUE(old_ones == all || new_ones == all)
        << "a mixed set: " << old_ones << " earlier and " << new_ones << " new files of " << all
        << " (" << g.front() << "...)";
  }
}

// The run writes its documents one by one, each whole, then its compiled
// files as one set.
std::vector<std::vector<std::string>> groups_of(const Writer& w) {
  if (w.set.size() == 6)
    return {{w.set[0]}, {w.set[1]}, {w.set[2]}, {w.set.begin() + 3, w.set.end()}};
  return {w.set};
}

class InterruptedSets : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (!fs::exists(strace)) GTEST_SKIP() << "strace is not installed";
  }
};

TEST_P(InterruptedSets, AKillAtEachRenameLeavesAWholeSetOrARefusalThenTheNextWriterCompletesIt) {
  const int signal = GetParam();
  for (const Writer& w : writers()) {
    TempDir root;
    w.prepare(root.path());
    const std::string out = root / w.out;
    const Contents earlier = files_of(out, w.set);
    // The new set, as an uninterrupted run writes it, from a copy.
    TempDir fresh_root;
    fs::copy(root.path(), fresh_root.path(), fs::copy_options::recursive);
    must_run(fresh_root.path(), w.args);
    const Contents fresh = files_of(fresh_root / w.out, w.set);

    for (int n = 1; n <= w.renames; ++n) {
      SCOPED_TRACE(std::string(w.name) + ", signal " + std::to_string(signal) + " at rename " +
                   std::to_string(n));
      TempDir copy;
      fs::copy(root.path(), copy.path(), fs::copy_options::recursive);
      const std::string dir = copy / w.out;
      ProgramRun killed;
      killed.program = strace;
      killed.cwd = copy.path();
      killed.args = {"-f",
                     "-o",
                     "/dev/null",
                     "-e",
                     "inject=renameat,renameat2:signal=" + std::to_string(signal) +
                         ":when=" + std::to_string(n),
                     "--",
                     SC_PROGRAM};
      killed.args.insert(killed.args.end(), w.args.begin(), w.args.end());
      const ProgramOutcome k = run_program(killed);
      ASSERT_EQ(k.status, 128 + signal) << k.err;

      if (fs::exists(dir + "/" + record)) {
        EXPECT_EQ(signal, SIGKILL) << "a held signal left the set unfinished";
        // A reader refuses the directory, naming what completes it.
        const ProgramOutcome r = run_program(copy.path(), {"inspect", w.out + "/" + w.set.back()});
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("an interrupted run left"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("run the command that wrote them again"), std::string::npos);
      } else {
        expect_whole(files_of(dir, w.set), earlier, fresh, groups_of(w));
      }
      if (signal == SIGINT) {
        // Held until the set was whole: the run's descriptions are gone too.
        EXPECT_FALSE(fs::exists(dir + "/" + record));
        if (w.set.size() == 6) {
          EXPECT_FALSE(fs::exists(dir + "/" + linea_txt));
          EXPECT_FALSE(fs::exists(dir + "/" + treno_txt));
        }
      }

      // The next writer completes what was left and writes its own set.
      const ProgramOutcome next = run_program(copy.path(), w.args);
      EXPECT_EQ(next.status, 0) << next.err;
      EXPECT_EQ(files_of(dir, w.set), fresh);
      EXPECT_EQ(leftovers(dir), std::vector<std::string>{});
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedSets, ::testing::Values(SIGKILL, SIGINT));

// A set whose first rename a kill interrupted: every reader refuses the
// directory with status 2 and writes nothing.
TEST(InterruptedSetReaders, EveryReaderRefusesAnUnfinishedDirectory) {
  if (!fs::exists(strace)) GTEST_SKIP() << "strace is not installed";
  TempDir root;
  must_run(root.path(), {"--out", "bin"});
  ProgramRun killed;
  killed.program = strace;
  killed.cwd = root.path();
  killed.args = {"-f", "-o",       "/dev/null", "-e", "inject=renameat,renameat2:signal=9:when=6",
                 "--", SC_PROGRAM, "--out",     "bin"};
  ASSERT_EQ(run_program(killed).status, 128 + SIGKILL);
  ASSERT_TRUE(fs::exists(root / ("bin/" + record)));
  const std::vector<std::vector<std::string>> readers{
      {"inspect", "bin/" + dat},
      {"plot", "bin", "-o", "p.svg"},
      {"decompile", "bin", "--out", "d"},
      {"decompile", "bin/" + dat, "bin/" + sim, "--out", "d"},
  };
  for (const auto& args : readers) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    const ProgramOutcome r = run_program(root.path(), args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find("an interrupted run left \"bin"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(root / "p.svg"));
    EXPECT_FALSE(fs::exists(root / "d"));
  }
}

// A child started without waiting for it: standard error to a file.
struct Started {
  pid_t pid = -1;
  std::string err_path;
};

Started start(const std::string& cwd, const std::vector<std::string>& args,
              const std::string& err_path) {
  std::vector<char*> argv{const_cast<char*>("scenario-compiler")};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::unsetenv("DISPLAY");
    if (::chdir(cwd.c_str()) != 0) ::_exit(120);
    const int out = ::open("/dev/null", O_WRONLY);
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(121);
    ::execv(SC_PROGRAM, argv.data());
    ::_exit(123);
  }
  return {pid, err_path};
}

TEST(LockedFolder, EachWriterSaysItWaitsEndsOnCtrlCAndGivesUpAfterItsWait) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status_on_sigint;  // 128 + SIGINT, or the watch's own end
  };
  const std::vector<Case> cases{
      {"compile", {"compile", "src/" + linea_txt, "src/" + treno_txt, "--out", "o"}, 130},
      {"export", {"export", "--out", "o", "--force"}, 130},
      {"decompile", {"decompile", "bin", "--out", "o", "--force"}, 130},
      {"the run", {"--out", "o"}, 130},
      {"compile --watch",
       {"compile", "src/" + linea_txt, "src/" + treno_txt, "--out", "o", "--watch"},
       0},
  };
  TempDir root;
  must_run(root.path(), {"export", "--out", "src"});
  must_run(root.path(), {"--out", "bin"});
  fs::create_directory(root / "o");
  const std::string out = root / "o";
  const std::string pid = "(process " + std::to_string(::getpid()) + ")";
  const HeldLock lock(out);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Waiting: one line, then Ctrl-C ends it at once, nothing written.
    const std::string err_path = root / "err";
    const Started s = start(root.path(), c.args, err_path);
    const auto begun = std::chrono::steady_clock::now();
    std::string err;
    while (err.find("waiting for another run") == std::string::npos &&
           std::chrono::steady_clock::now() - begun < std::chrono::seconds(30)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      err = read_bytes(err_path);
    }
    EXPECT_NE(err.find("scenario-compiler: waiting for another run writing into \"o\" " + pid),
              std::string::npos)
        << err;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::kill(s.pid, SIGINT);
    const auto signalled = std::chrono::steady_clock::now();
    int status = 0;
    while (::waitpid(s.pid, &status, WNOHANG) == 0 &&
           std::chrono::steady_clock::now() - signalled < std::chrono::seconds(5)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
    if (took >= 5) {
      ::kill(s.pid, SIGKILL);
      ::waitpid(s.pid, &status, 0);
    }
    EXPECT_LT(took, 1.0);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), c.status_on_sigint);
    err = read_bytes(err_path);
    // Said once.
    EXPECT_EQ(err.find("waiting for another run"), err.rfind("waiting for another run")) << err;
    EXPECT_EQ(list_dir(out), std::set<std::string>{});
  }
  for (const Case& c : cases) {
    if (c.status_on_sigint != 130) continue;  // the watch never gives up
    SCOPED_TRACE(std::string(c.name) + " --wait 1");
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--wait", "1"});
    const ProgramOutcome r = run_program(root.path(), args);
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_GE(r.seconds, 1.0);
    EXPECT_LT(r.seconds, 10.0);
    EXPECT_NE(r.err.find("gave up after 1 s waiting for another run writing into \"o\"; nothing "
                         "written"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(list_dir(out), std::set<std::string>{});
  }
}

// Files of two compiles side by side (the cells and track plan of one, the
// element table of another with its second station moved): plot and
// decompile go on, with a warning naming the file that disagrees. A track
// plan written long before the cells (a compile without the plan leaves it)
// is said to be maybe stale, not refused.
TEST(MixedSets, ReadersWarnNamingTheFileThatDisagreesAndAStalePlanIsNoRefusal) {
  TempDir root;
  must_run(root.path(), {"export", "--out", "src"});
  fs::copy(root / "src", root / "moved", fs::copy_options::recursive);
  std::string treno = read_bytes(root / ("moved/" + treno_txt));
  replace(treno, "stazione,   29950,", "stazione,   31950,");
  write(root / ("moved/" + treno_txt), treno);
  must_run(root.path(), {"compile", "src/" + linea_txt, "src/" + treno_txt, "--out", "a"});
  must_run(root.path(), {"compile", "moved/" + linea_txt, "moved/" + treno_txt, "--out", "b"});
  fs::create_directory(root / "mixed");
  for (const std::string& f : {linea_dat, dat}) fs::copy(root / ("a/" + f), root / ("mixed/" + f));
  fs::copy(root / ("b/" + sim), root / ("mixed/" + sim));
  // The plan of "a" an hour older than its cells.
  const fs::path plan = root / ("a/" + linea_dat);
  fs::last_write_time(plan, fs::last_write_time(plan) - std::chrono::hours(1));

  struct Case {
    std::vector<std::string> args;
    std::string warning;
  };
  const std::vector<Case> cases{
      {{"decompile", "mixed", "--out", "d1"},
       "warning: the files may not be of one compile: mixed/" + dat +
           ": cell 602 holds the stop of station 2, which ends at 32150 m in mixed/" + sim},
      {{"plot", "mixed", "-o", "m.svg"},
       "warning: the files may not be of one compile: mixed/" + dat + ": cell 602"},
      {{"decompile", "a", "--out", "d2"},
       "warning: the files may not be of one compile: a/" + linea_dat + " was written before a/" +
           dat + " and may be stale"},
      {{"plot", "a", "-o", "a.svg"}, "a/" + linea_dat + " was written before a/" + dat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const ProgramOutcome r = run_program(root.path(), c.args);
    EXPECT_NE(r.status, 2) << r.err;  // read and used, not refused
    EXPECT_NE(r.err.find(c.warning), std::string::npos) << r.err;
  }
  // One compile's files, just written: no warning.
  const ProgramOutcome whole = run_program(root.path(), {"decompile", "b", "--out", "d3"});
  EXPECT_EQ(whole.status, 0);
  EXPECT_EQ(whole.err.find("warning"), std::string::npos) << whole.err;
}

// A symbolic link at a name to write, even one that points nowhere, is in
// the way like any file: nothing written without --force, and with it the
// link is replaced by the file.
TEST(DanglingLink, IsInTheWayOfExportAndDecompileUnlessForced) {
  TempDir root;
  must_run(root.path(), {"--out", "bin"});
  struct Case {
    std::vector<std::string> args;
    std::string target;
  };
  const std::vector<Case> cases{
      {{"export", "--out", "o"}, note},
      {{"decompile", "bin", "--out", "o"}, treno_txt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    fs::remove_all(root / "o");
    fs::create_directory(root / "o");
    const fs::path link = root / ("o/" + c.target);
    fs::create_symlink(root / "nowhere", link);
    const ProgramOutcome refused = run_program(root.path(), c.args);
    EXPECT_EQ(refused.status, 4) << refused.err;
    EXPECT_NE(refused.err.find("\"o/" + c.target + "\" already exists"), std::string::npos)
        << refused.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_FALSE(fs::exists(root / "nowhere"));
    std::vector<std::string> forced = c.args;
    forced.push_back("--force");
    const ProgramOutcome r = run_program(root.path(), forced);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_regular_file(link));
    EXPECT_FALSE(fs::exists(root / "nowhere"));
  }
}

}  // namespace
}  // namespace sc::test
