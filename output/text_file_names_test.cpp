#include "output/text_file_names.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace sc {
namespace {

TEST(TextFileNames, TheEightNamesOfTheEmbeddedIdentity) {
  const struct {
    TextFileKind file;
    const char* nome;
  } text_cases[] = {
      {TextFileKind::linea_txt, "Corvale_Pravena AV_linea.txt"},
      {TextFileKind::treno_txt, "Corvale_Pravena AV_409-.txt"},
      {TextFileKind::scheda, "Corvale_Pravena AV_409_scheda_treno.txt"},
      {TextFileKind::rallentamenti, "Corvale_Pravena AV_409_rallentamenti.txt"},
      {TextFileKind::note, "Corvale_Pravena AV_409_note.txt"},
  };
  for (const auto& c : text_cases) {
    EXPECT_EQ(nome_file(c.file, "Corvale_Pravena AV", "409"), c.nome);
    EXPECT_EQ(percorso_file("/d/x y", c.file, "Corvale_Pravena AV", "409"),
              std::string("/d/x y/") + c.nome);
  }
  const struct {
    CompiledKind file;
    const char* nome;
  } compiled_cases[] = {
      {CompiledKind::tracciato, "Corvale_Pravena AV_linea.dat"},
      {CompiledKind::elementi, "Corvale_Pravena AV_409.sim"},
      {CompiledKind::celle, "Corvale_Pravena AV_409.dat"},
  };
  for (const auto& c : compiled_cases) {
    EXPECT_EQ(nome_file(c.file, "Corvale_Pravena AV", "409"), c.nome);
    EXPECT_EQ(percorso_file("/d/x y", c.file, "Corvale_Pravena AV", "409"),
              std::string("/d/x y/") + c.nome);
  }
}

TEST(TextFileNames, NamesFollowTheIdentityStrings) {
  EXPECT_EQ(nome_file(TextFileKind::linea_txt, "A", "7"), "A_linea.txt");
  EXPECT_EQ(nome_file(TextFileKind::treno_txt, "A", "7"), "A_7-.txt");
  EXPECT_EQ(nome_file(CompiledKind::celle, "", ""), "_.dat");
}

TEST(TextFileNames, ProgramDirectoryHoldsTheRunningExecutable) {
  const std::string dir = program_dir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_NE(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::equivalent(
      dir, std::filesystem::read_symlink("/proc/self/exe").parent_path()));
}

}  // namespace
}  // namespace sc
