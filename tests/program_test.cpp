// End-to-end runs of the built program. Each run uses a copy of the program
// in a fresh directory, since the program writes its files next to itself,
// and starts in another directory, with no DISPLAY (the status then goes to
// standard error).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/support/test_dir.h"
#include "tests/esegui_programma.h"
#include "writers/scenario.h"

namespace {

namespace fs = std::filesystem;
using namespace sc::test;
using namespace sc::test::file_scenario;

const std::string programma = "scenario-compiler";
const std::string programma_run = "scenario-compiler-run";  // the run's helper program, beside it

// The program and its run helper copied into `dir`.
void copia_programma(const TempDir& dir) {
  for (const auto& [da, a] : {std::pair<std::string, std::string>{SC_PROGRAM, programma}, {SC_PROGRAM_RUN, programma_run}}) {
    fs::copy_file(da, dir / a);
    fs::permissions(dir / a, fs::perms(0755));
  }
}

struct Esito : EsitoProgramma {
  std::set<std::string> cartella_di_lavoro;  // what the run left in its working directory
};

// Copies the program into `dir` and runs it there, from a working directory
// of its own. With `senza_root` a run as root becomes an ordinary user (root
// may write into read-only directories).
Esito esegui(const TempDir& dir, bool senza_root = false) {
  const std::string exe = dir / programma;
  if (!fs::exists(exe)) copia_programma(dir);
  TempDir lavoro;
  fs::permissions(lavoro.path(), fs::perms(0777));
  Esecuzione x;
  x.cwd = lavoro.path();
  x.programma = exe;
  x.senza_root = senza_root;
  Esito e{esegui_programma(x), {}};
  e.cartella_di_lavoro = elenco(lavoro.path());
  return e;
}

// Every file of `dir` but the programs, with its bytes.
Contenuti senza_programma(const TempDir& dir) {
  Contenuti m = contenuti(dir.path());
  m.erase(programma);
  m.erase(programma_run);
  return m;
}

TEST(Program, RunWritesTheDocumentsAndTheCompiledFilesNextToItself) {
  TempDir dir;
  const Esito e = esegui(dir);
  EXPECT_EQ(e.stato, 0) << e.err;
  EXPECT_EQ(e.err, "Attendere\n");
  EXPECT_EQ(e.out, "");
  EXPECT_EQ(e.cartella_di_lavoro, std::set<std::string>{});  // the run writes nothing where it starts

  // Exactly the three documents and the three compiled files; the two
  // descriptions were read back and deleted.
  EXPECT_EQ(elenco(dir.path()), (std::set<std::string>{programma, programma_run, note, rallentamenti, scheda, linea_dat, sim, dat}));
  EXPECT_EQ(fs::file_size(dir / scheda), 3733u);
  EXPECT_EQ(fs::file_size(dir / rallentamenti), 3281u);
  EXPECT_GT(fs::file_size(dir / note), 856u);
  EXPECT_EQ(leggi(dir / scheda), sc::dati_scheda());
  EXPECT_EQ(leggi(dir / rallentamenti), sc::dati_rallentamenti());
  EXPECT_EQ(leggi(dir / note), sc::dati_note());
  EXPECT_EQ(fs::file_size(dir / dat), 15u * 1981u);  // cells 0 to 1980
}

TEST(Program, SecondRunOverLongerOldFilesLeavesTheSameBytes) {
  // Longer files of the same names, as if left by some other scenario.
  TempDir dir;
  const std::map<std::string, size_t> vecchi{{note, 200000},   {rallentamenti, 200000}, {scheda, 200000},
                                             {linea_dat, 4000000}, {sim, 200000},          {dat, 200000}};
  for (const auto& [nome, n] : vecchi) scrivi(dir / nome, std::string(n, 'X'));
  const Esito primo = esegui(dir);
  ASSERT_EQ(primo.stato, 0) << primo.err;
  const auto dopo_primo = senza_programma(dir);
  ASSERT_EQ(dopo_primo.size(), vecchi.size());
  for (const auto& [nome, bytes] : dopo_primo) {
    EXPECT_LT(bytes.size(), vecchi.at(nome)) << nome;
    EXPECT_EQ(bytes.find("XXXX"), std::string::npos) << nome;
  }
  EXPECT_EQ(dopo_primo.at(scheda), sc::dati_scheda());

  const Esito secondo = esegui(dir);
  ASSERT_EQ(secondo.stato, 0) << secondo.err;
  EXPECT_EQ(senza_programma(dir), dopo_primo);  // byte for byte
}

TEST(Program, ReadOnlyDirectoryIsReportedWithTheFileAndTheReason) {
  TempDir dir;
  copia_programma(dir);
  fs::permissions(dir.path(), fs::perms(0555));
  const Esito e = esegui(dir, /*senza_root=*/true);
  EXPECT_EQ(e.stato, 4);
  EXPECT_EQ(e.err, "Attendere\nscenario-compiler: cannot write \"" + dir / "Corvale_Pravena AV_linea.txt" +
                       "\": Permission denied\n");
  EXPECT_EQ(elenco(dir.path()), (std::set<std::string>{programma, programma_run}));
}

}  // namespace
