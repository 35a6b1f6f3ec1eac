#include "output/nomi_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace sc {
namespace {

TEST(NomiFile, TheEightNamesOfTheEmbeddedIdentity) {
  const struct {
    FileScenario file;
    const char* nome;
  } casi[] = {
      {FileScenario::linea_txt, "Corvale_Pravena AV_linea.txt"},
      {FileScenario::treno_txt, "Corvale_Pravena AV_409-.txt"},
      {FileScenario::scheda, "Corvale_Pravena AV_409_scheda_treno.txt"},
      {FileScenario::rallentamenti, "Corvale_Pravena AV_409_rallentamenti.txt"},
      {FileScenario::note, "Corvale_Pravena AV_409_note.txt"},
      {FileScenario::linea_dat, "Corvale_Pravena AV_linea.dat"},
      {FileScenario::elementi_sim, "Corvale_Pravena AV_409.sim"},
      {FileScenario::celle_dat, "Corvale_Pravena AV_409.dat"},
  };
  for (const auto& c : casi) {
    EXPECT_EQ(nome_file(c.file, "Corvale_Pravena AV", "409"), c.nome);
    EXPECT_EQ(percorso_file("/d/x y", c.file, "Corvale_Pravena AV", "409"), std::string("/d/x y/") + c.nome);
  }
}

TEST(NomiFile, NamesFollowTheIdentityStrings) {
  EXPECT_EQ(nome_file(FileScenario::linea_txt, "A", "7"), "A_linea.txt");
  EXPECT_EQ(nome_file(FileScenario::treno_txt, "A", "7"), "A_7-.txt");
  EXPECT_EQ(nome_file(FileScenario::celle_dat, "", ""), "_.dat");
}

TEST(NomiFile, CompiledKindsMapToTheirFiles) {
  EXPECT_EQ(file_compilato(CompiledKind::tracciato), FileScenario::linea_dat);
  EXPECT_EQ(file_compilato(CompiledKind::elementi), FileScenario::elementi_sim);
  EXPECT_EQ(file_compilato(CompiledKind::celle), FileScenario::celle_dat);
}

TEST(NomiFile, ProgramDirectoryHoldsTheRunningExecutable) {
  const std::string dir = cartella_programma();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_NE(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::equivalent(dir, std::filesystem::read_symlink("/proc/self/exe").parent_path()));
}

}  // namespace
}  // namespace sc
