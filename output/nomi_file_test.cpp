#include "output/nomi_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace sc {
namespace {

TEST(NomiFile, TheEightNamesOfTheEmbeddedIdentity) {
  const struct {
    FileTesto file;
    const char* nome;
  } testi[] = {
      {FileTesto::linea_txt, "Corvale_Pravena AV_linea.txt"},
      {FileTesto::treno_txt, "Corvale_Pravena AV_409-.txt"},
      {FileTesto::scheda, "Corvale_Pravena AV_409_scheda_treno.txt"},
      {FileTesto::rallentamenti, "Corvale_Pravena AV_409_rallentamenti.txt"},
      {FileTesto::note, "Corvale_Pravena AV_409_note.txt"},
  };
  for (const auto& c : testi) {
    EXPECT_EQ(nome_file(c.file, "Corvale_Pravena AV", "409"), c.nome);
    EXPECT_EQ(percorso_file("/d/x y", c.file, "Corvale_Pravena AV", "409"),
              std::string("/d/x y/") + c.nome);
  }
  const struct {
    FileCompilato file;
    const char* nome;
  } compilati[] = {
      {FileCompilato::tracciato, "Corvale_Pravena AV_linea.dat"},
      {FileCompilato::elementi, "Corvale_Pravena AV_409.sim"},
      {FileCompilato::celle, "Corvale_Pravena AV_409.dat"},
  };
  for (const auto& c : compilati) {
    EXPECT_EQ(nome_file(c.file, "Corvale_Pravena AV", "409"), c.nome);
    EXPECT_EQ(percorso_file("/d/x y", c.file, "Corvale_Pravena AV", "409"),
              std::string("/d/x y/") + c.nome);
  }
}

TEST(NomiFile, NamesFollowTheIdentityStrings) {
  EXPECT_EQ(nome_file(FileTesto::linea_txt, "A", "7"), "A_linea.txt");
  EXPECT_EQ(nome_file(FileTesto::treno_txt, "A", "7"), "A_7-.txt");
  EXPECT_EQ(nome_file(FileCompilato::celle, "", ""), "_.dat");
}

TEST(NomiFile, ProgramDirectoryHoldsTheRunningExecutable) {
  const std::string dir = cartella_programma();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_NE(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::equivalent(
      dir, std::filesystem::read_symlink("/proc/self/exe").parent_path()));
}

}  // namespace
}  // namespace sc
