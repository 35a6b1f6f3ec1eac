// End-to-end runs of the built program. Each run uses a copy of the program
// in a fresh directory, since the program writes its files next to itself,
// and starts in another directory, with no DISPLAY (the status then goes to
// standard error).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/run_program.h"
#include "tests/support/test_dir.h"
#include "writers/scenario.h"

namespace {

namespace fs = std::filesystem;
using namespace sc::test;
using namespace sc::test::file_scenario;

const std::string program = "scenario-compiler";
const std::string run_program_name =
    "scenario-compiler-run";  // the run's helper program, beside it

// The program and its run helper copied into `dir`.
void copy_program(const TempDir& dir) {
  for (const auto& [from, a] : {std::pair<std::string, std::string>{SC_PROGRAM, program},
                                {SC_PROGRAM_RUN, run_program_name}}) {
    fs::copy_file(from, dir / a);
    fs::permissions(dir / a, fs::perms(0755));
  }
}

struct Outcome : ProgramOutcome {
  std::set<std::string> work_dir;  // what the run left in its working directory
};

// Copies the program into `dir` and runs it there, from a working directory
// of its own. With `without_root` a run as root becomes an ordinary user (root
// may write into read-only directories).
Outcome run(const TempDir& dir, bool without_root = false) {
  const std::string exe = dir / program;
  if (!fs::exists(exe)) copy_program(dir);
  TempDir work;
  fs::permissions(work.path(), fs::perms(0777));
  ProgramRun x;
  x.cwd = work.path();
  x.program = exe;
  x.without_root = without_root;
  Outcome e{run_program(x), {}};
  e.work_dir = list_dir(work.path());
  return e;
}

// Every file of `dir` but the programs, with its bytes.
Contents without_program(const TempDir& dir) {
  Contents m = contents(dir.path());
  m.erase(program);
  m.erase(run_program_name);
  return m;
}

TEST(Program, RunWritesTheDocumentsAndTheCompiledFilesNextToItself) {
  TempDir dir;
  const Outcome e = run(dir);
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(e.err, "Attendere\n");
  EXPECT_EQ(e.out, "");
  EXPECT_EQ(e.work_dir, std::set<std::string>{});  // the run writes nothing where it starts

  // Exactly the three documents and the three compiled files; the two
  // descriptions were read back and deleted.
  EXPECT_EQ(list_dir(dir.path()),
            (std::set<std::string>{program, run_program_name, note, rallentamenti, scheda,
                                   linea_dat, sim, dat}));
  EXPECT_EQ(fs::file_size(dir / scheda), 3733u);
  EXPECT_EQ(fs::file_size(dir / rallentamenti), 3281u);
  EXPECT_GT(fs::file_size(dir / note), 856u);
  EXPECT_EQ(read_bytes(dir / scheda), sc::dati_scheda());
  EXPECT_EQ(read_bytes(dir / rallentamenti), sc::dati_rallentamenti());
  EXPECT_EQ(read_bytes(dir / note), sc::dati_note());
  EXPECT_EQ(fs::file_size(dir / dat), 15u * 1981u);  // cells 0 to 1980
}

TEST(Program, SecondRunOverLongerOldFilesLeavesTheSameBytes) {
  // Longer files of the same names, as if left by some other scenario.
  TempDir dir;
  const std::map<std::string, size_t> old{{note, 200000},   {rallentamenti, 200000},
                                          {scheda, 200000}, {linea_dat, 4000000},
                                          {sim, 200000},    {dat, 200000}};
  for (const auto& [nome, n] : old) write(dir / nome, std::string(n, 'X'));
  const Outcome first = run(dir);
  ASSERT_EQ(first.status, 0) << first.err;
  const auto after_first = without_program(dir);
  ASSERT_EQ(after_first.size(), old.size());
  for (const auto& [nome, bytes] : after_first) {
    EXPECT_LT(bytes.size(), old.at(nome)) << nome;
    EXPECT_EQ(bytes.find("XXXX"), std::string::npos) << nome;
  }
  EXPECT_EQ(after_first.at(scheda), sc::dati_scheda());

  const Outcome second = run(dir);
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(without_program(dir), after_first);  // byte for byte
}

// As an installed program in a PREFIX/bin the user cannot write: the run
// stops before its window and its first file, and tells of --out.
TEST(Program, ReadOnlyDirectoryStopsTheRunBeforeAnythingAndPointsToOut) {
  TempDir dir;
  copy_program(dir);
  fs::permissions(dir.path(), fs::perms(0555));
  const Outcome e = run(dir, /*without_root=*/true);
  EXPECT_EQ(e.status, 4);
  EXPECT_EQ(e.err, "scenario-compiler: cannot write into the program's directory \"" + dir.path() +
                       "\": Permission denied; nothing written. Run it with --out DIR to write "
                       "the files into DIR\n");
  EXPECT_EQ(e.out, "");
  EXPECT_EQ(list_dir(dir.path()), (std::set<std::string>{program, run_program_name}));
  EXPECT_EQ(e.work_dir, std::set<std::string>{});
}

}  // namespace
