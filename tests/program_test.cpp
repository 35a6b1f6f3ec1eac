// End-to-end runs of the built program. Each run uses a copy of the program
// in a fresh directory, since the program writes its files next to itself,
// and starts in another directory, with no DISPLAY (the status then goes to
// standard error).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "app/test_dir.h"
#include "writers/scenario.h"

namespace {

namespace fs = std::filesystem;
using sc::test::elenco;
using sc::test::leggi;
using sc::test::scrivi;
using sc::test::TempDir;

const std::string programma = "scenario-compiler";
const std::string note = "Corvale_Pravena AV_409_note.txt";
const std::string rallentamenti = "Corvale_Pravena AV_409_rallentamenti.txt";
const std::string scheda = "Corvale_Pravena AV_409_scheda_treno.txt";
const std::string linea_dat = "Corvale_Pravena AV_linea.dat";
const std::string sim = "Corvale_Pravena AV_409.sim";
const std::string dat = "Corvale_Pravena AV_409.dat";

struct Esito {
  int stato = -1;
  std::string out, err;
  std::set<std::string> cartella_di_lavoro;  // what the run left in its working directory
};

// Copies the program into `dir` and runs it there, from a working directory
// of its own. With `senza_root` a run as root becomes an ordinary user (root
// may write into read-only directories).
Esito esegui(const TempDir& dir, bool senza_root = false) {
  const std::string exe = dir / programma;
  if (!fs::exists(exe)) {
    fs::copy_file(SC_PROGRAM, exe);
    fs::permissions(exe, fs::perms(0755));
  }
  TempDir lavoro;
  fs::permissions(lavoro.path(), fs::perms(0777));
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::unsetenv("DISPLAY");
    if (::chdir(lavoro.path().c_str()) != 0) ::_exit(120);
    const int out = ::open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(121);
    if (senza_root && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(122);
    ::execl(exe.c_str(), programma.c_str(), static_cast<char*>(nullptr));
    ::_exit(123);
  }
  Esito e;
  int status = 0;
  const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > limite) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      ADD_FAILURE() << "the program did not end within 120 s";
      return e;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  e.stato = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  e.out = leggi(lavoro / "stdout.txt");
  e.err = leggi(lavoro / "stderr.txt");
  e.cartella_di_lavoro = elenco(lavoro.path());
  return e;
}

// Every file of `dir` but the program, with its bytes.
std::map<std::string, std::string> contenuti(const TempDir& dir) {
  std::map<std::string, std::string> m;
  for (const std::string& n : elenco(dir.path()))
    if (n != programma) m[n] = leggi(dir / n);
  return m;
}

TEST(Program, RunWritesTheDocumentsAndTheCompiledFilesNextToItself) {
  TempDir dir;
  const Esito e = esegui(dir);
  EXPECT_EQ(e.stato, 0) << e.err;
  EXPECT_EQ(e.err, "Attendere\n");
  EXPECT_EQ(e.out, "");
  EXPECT_EQ(e.cartella_di_lavoro, (std::set<std::string>{"stderr.txt", "stdout.txt"}));

  // Exactly the three documents and the three compiled files; the two
  // descriptions were read back and deleted.
  EXPECT_EQ(elenco(dir.path()), (std::set<std::string>{programma, note, rallentamenti, scheda, linea_dat, sim, dat}));
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
  const auto dopo_primo = contenuti(dir);
  ASSERT_EQ(dopo_primo.size(), vecchi.size());
  for (const auto& [nome, bytes] : dopo_primo) {
    EXPECT_LT(bytes.size(), vecchi.at(nome)) << nome;
    EXPECT_EQ(bytes.find("XXXX"), std::string::npos) << nome;
  }
  EXPECT_EQ(dopo_primo.at(scheda), sc::dati_scheda());

  const Esito secondo = esegui(dir);
  ASSERT_EQ(secondo.stato, 0) << secondo.err;
  EXPECT_EQ(contenuti(dir), dopo_primo);  // byte for byte
}

TEST(Program, ReadOnlyDirectoryIsReportedWithTheFileAndTheReason) {
  TempDir dir;
  fs::copy_file(SC_PROGRAM, dir / programma);
  fs::permissions(dir / programma, fs::perms(0755));
  fs::permissions(dir.path(), fs::perms(0555));
  const Esito e = esegui(dir, /*senza_root=*/true);
  EXPECT_EQ(e.stato, 4);
  EXPECT_EQ(e.err, "Attendere\nscenario-compiler: cannot write \"" + dir / "Corvale_Pravena AV_linea.txt" +
                       "\": Permission denied\n");
  EXPECT_EQ(elenco(dir.path()), std::set<std::string>{programma});
}

}  // namespace
