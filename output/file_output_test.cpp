#include "output/file_output.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "tests/support/test_dir.h"

namespace sc {
namespace {

using test::elenco;
using test::leggi;
using test::scrivi;
using test::TempDir;

TEST(FileOutput, ReplacesALongerFileWholeWithTheUsualPermissions) {
  TempDir d;
  const std::string f = d / "Corvale_Pravena AV_409_note.txt";
  scrivi(f, std::string(10000, 'X'));
  const mode_t vecchia = ::umask(022);
  const auto esito = sostituisci_file(f, "abc\r\n");
  ::umask(vecchia);
  ASSERT_FALSE(esito.has_value()) << *esito;
  EXPECT_EQ(leggi(f), "abc\r\n");
  EXPECT_EQ(elenco(d.path()), std::set<std::string>{"Corvale_Pravena AV_409_note.txt"});
  struct stat st {};
  ASSERT_EQ(::stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);  // not the 0600 of a temporary file
}

TEST(FileOutput, CreatesANewFileAndWritesEmptyContent) {
  TempDir d;
  ASSERT_FALSE(sostituisci_file(d / "nuovo.dat", std::string("\0\1\2", 3)).has_value());
  EXPECT_EQ(leggi(d / "nuovo.dat"), std::string("\0\1\2", 3));
  ASSERT_FALSE(sostituisci_file(d / "nuovo.dat", "").has_value());
  EXPECT_EQ(leggi(d / "nuovo.dat"), "");
}

TEST(FileOutput, PiecesAreWrittenInOrderBeyondWhatOneCallTakes) {
  // More pieces than one call of the system takes (1024 on Linux), empty
  // ones among them, and one of 3 MB.
  std::vector<std::string> dati;
  for (int i = 0; i < 2500; ++i) dati.push_back(std::string(static_cast<size_t>(i % 7), static_cast<char>('a' + i % 26)));
  dati.push_back(std::string(3 << 20, '\xA5'));
  dati.push_back("end");
  std::vector<std::string_view> pezzi(dati.begin(), dati.end());
  std::string atteso;
  for (const std::string& x : dati) atteso += x;

  TempDir d;
  const std::string f = d / "Corvale_Pravena AV_linea.dat";
  scrivi(f, "old");
  const auto esito = sostituisci_file(f, pezzi);
  ASSERT_FALSE(esito.has_value()) << *esito;
  EXPECT_TRUE(leggi(f) == atteso);
  EXPECT_EQ(elenco(d.path()), std::set<std::string>{"Corvale_Pravena AV_linea.dat"});

  ASSERT_FALSE(sostituisci_file(f, std::vector<std::string_view>{}).has_value());
  EXPECT_EQ(leggi(f), "");
}

TEST(FileOutput, ReadOnlyDirectoryKeepsTheOldFileAndLeavesNoTemporary) {
  TempDir d;
  const std::string f = d / "Corvale_Pravena AV_409.dat";
  scrivi(f, "old content");
  std::filesystem::permissions(d.path(), std::filesystem::perms(0555));
  const std::string msg = test::in_processo_figlio([&] { return sostituisci_file(f, "new").value_or("ok"); }, true);
  EXPECT_EQ(msg, "cannot write \"" + f + "\": " + std::strerror(EACCES));
  EXPECT_EQ(leggi(f), "old content");
  EXPECT_EQ(elenco(d.path()), std::set<std::string>{"Corvale_Pravena AV_409.dat"});
}

TEST(FileOutput, DirectoryInPlaceOfTheTargetIsReportedAndLeftAlone) {
  TempDir d;
  const std::string f = d / "Corvale_Pravena AV_linea.dat";
  std::filesystem::create_directory(f);
  test::scrivi(f + "/inside", "kept");
  const auto esito = sostituisci_file(f, "bytes");
  ASSERT_TRUE(esito.has_value());
  EXPECT_EQ(*esito, "cannot write \"" + f + "\": " + std::strerror(EISDIR));
  EXPECT_TRUE(std::filesystem::is_directory(f));
  EXPECT_EQ(leggi(f + "/inside"), "kept");
  EXPECT_EQ(elenco(d.path()), std::set<std::string>{"Corvale_Pravena AV_linea.dat"});
}

TEST(FileOutput, WriteFailureKeepsTheOldFileAndLeavesNoTemporary) {
  // A file-size limit makes the write itself fail, as a full disk would.
  TempDir d;
  const std::string f = d / "Corvale_Pravena AV_409.sim";
  scrivi(f, "old");
  const std::string msg = test::in_processo_figlio([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limite{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limite);
    return sostituisci_file(f, std::string(5000, 'n')).value_or("ok");
  }, false);
  EXPECT_EQ(msg, "cannot write \"" + f + "\": " + std::strerror(EFBIG));
  EXPECT_EQ(leggi(f), "old");
  EXPECT_EQ(elenco(d.path()), std::set<std::string>{"Corvale_Pravena AV_409.sim"});
}

// Three files replaced together, as a compile writes them.
class FileInsieme : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* n : {"a.dat", "b.sim", "c.dat"}) {
      nomi.push_back(d / n);
      scrivi(nomi.back(), std::string("old ") + n);
    }
  }
  std::vector<FileDaScrivere> nuovi() const {
    return {{nomi[0], {piano, "!"}}, {nomi[1], {std::string_view(tabella)}}, {nomi[2], {celle}}};
  }
  void vecchi_intatti() {
    EXPECT_EQ(leggi(nomi[0]), "old a.dat");
    EXPECT_EQ(leggi(nomi[1]), "old b.sim");
    EXPECT_EQ(leggi(nomi[2]), "old c.dat");
  }

  TempDir d;
  std::vector<std::string> nomi;
  const std::string piano = std::string(300000, 'p'), tabella = std::string(5000, 't'), celle = "cells";
};

TEST_F(FileInsieme, AllAreReplacedAndNoTemporaryStays) {
  ASSERT_FALSE(sostituisci_files(nuovi()).has_value());
  EXPECT_EQ(leggi(nomi[0]), piano + "!");
  EXPECT_EQ(leggi(nomi[1]), tabella);
  EXPECT_EQ(leggi(nomi[2]), celle);
  EXPECT_EQ(elenco(d.path()), (std::set<std::string>{"a.dat", "b.sim", "c.dat"}));
}

TEST_F(FileInsieme, AWriteThatFailsLeavesEveryFileAsItWas) {
  // The second file does not fit under the size limit; the first one,
  // written whole, is not put in place either.
  const std::string msg = test::in_processo_figlio([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limite{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limite);
    std::vector<FileDaScrivere> f = nuovi();
    f[0].pezzi = {"small"};
    return sostituisci_files(f).value_or("ok");
  }, false);
  EXPECT_EQ(msg, "cannot write \"" + nomi[1] + "\": " + std::strerror(EFBIG));
  vecchi_intatti();
  EXPECT_EQ(elenco(d.path()), (std::set<std::string>{"a.dat", "b.sim", "c.dat"}));
}

TEST_F(FileInsieme, ADirectoryInPlaceOfTheLastTargetIsFoundBeforeAnyRename) {
  std::filesystem::remove(nomi[2]);
  std::filesystem::create_directory(nomi[2]);
  const auto esito = sostituisci_files(nuovi());
  ASSERT_TRUE(esito.has_value());
  EXPECT_EQ(*esito, "cannot write \"" + nomi[2] + "\": " + std::strerror(EISDIR));
  EXPECT_EQ(leggi(nomi[0]), "old a.dat");
  EXPECT_EQ(leggi(nomi[1]), "old b.sim");
  EXPECT_TRUE(std::filesystem::is_directory(nomi[2]));
  EXPECT_EQ(elenco(d.path()), (std::set<std::string>{"a.dat", "b.sim", "c.dat"}));
}

TEST(FileOutput, MissingDirectoryIsReported) {
  TempDir d;
  const std::string f = d / "no/such.txt";
  EXPECT_EQ(sostituisci_file(f, "x").value_or("ok"), "cannot write \"" + f + "\": " + std::strerror(ENOENT));
}

}  // namespace
}  // namespace sc
