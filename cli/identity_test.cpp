#include "cli/identity.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

using Opt = std::optional<std::string>;

TEST(Identity, FromOptionsOrFileNames) {
  const struct {
    const char* linea;
    const char* treno;
    Opt nome, numero;
    const char* expected_name;  // nullptr: no identity
    const char* expected_number;
  } cases[] = {
      // The embedded scenario's names, with and without directories.
      {"Corvale_Pravena AV_linea.txt",
       "Corvale_Pravena AV_409-.txt",
       {},
       {},
       "Corvale_Pravena AV",
       "409"},
      {"/a/b/Corvale_Pravena AV_linea.txt",
       "../c/Corvale_Pravena AV_409-.txt",
       {},
       {},
       "Corvale_Pravena AV",
       "409"},
      // The line file's name splits the train file, underscores and all.
      {"A_B_linea.txt", "A_B_C_7-.txt", {}, {}, "A_B", "C_7"},
      // Without a line name the train file splits at its last "_".
      {"linea.txt", "A_B_C_7-.txt", {}, {}, "A_B_C", "7"},
      // A train file of another name still gives its number.
      {"Nord_linea.txt", "Sud_12-.txt", {}, {}, "Nord", "12"},
      // Options win over the file names.
      {"Nord_linea.txt", "Nord_12-.txt", Opt("Est"), Opt("99"), "Est", "99"},
      {"x.txt", "y.txt", Opt("Est"), Opt("99"), "Est", "99"},
      {"Nord_linea.txt", "y.txt", {}, Opt("99"), "Nord", "99"},
      {"x.txt", "Nord_12-.txt", Opt("Est"), {}, "Est", "12"},
      // Names that do not follow the rule.
      {"x.txt", "y.txt", {}, {}, nullptr, nullptr},
      {"_linea.txt", "_12-.txt", {}, {}, nullptr, nullptr},
      {"Nord_linea.txt", "Nord_-.txt", {}, {}, nullptr, nullptr},
      {"Nord_linea.txt", "Nord12-.txt", {}, {}, nullptr, nullptr},
      {"Nord_linea.TXT", "Nord_12.txt", {}, {}, nullptr, nullptr},
      // Values that cannot be part of a file name.
      {"Nord_linea.txt", "Nord_12-.txt", Opt(""), {}, nullptr, nullptr},
      {"Nord_linea.txt", "Nord_12-.txt", {}, Opt("1/2"), nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const IdentityOutcome e = compilation_identity(c.linea, c.treno, c.nome, c.numero);
    const std::string test_case = std::string(c.linea) + " | " + c.treno;
    if (c.expected_name == nullptr) {
      EXPECT_FALSE(e.identity) << test_case;
      EXPECT_FALSE(e.errore.empty()) << test_case;
      continue;
    }
    ASSERT_TRUE(e.identity) << test_case << ": " << e.errore;
    EXPECT_EQ(e.identity->nome_scenario, c.expected_name) << test_case;
    EXPECT_EQ(e.identity->numero_treno, c.expected_number) << test_case;
  }
}

TEST(Identity, ErrorSaysWhatIsMissingAndHowToGiveIt) {
  EXPECT_EQ(compilation_identity("d/x.txt", "d/y.txt", {}, {}).errore,
            "cannot tell the scenario name and the train number: \"x.txt\" is not named "
            "NAME_linea.txt and "
            "\"y.txt\" is not named NAME_NUMBER-.txt; give them with --name NAME --train NUMBER");
  EXPECT_EQ(compilation_identity("x.txt", "y.txt", {}, Opt("4")).errore,
            "cannot tell the scenario name: \"x.txt\" is not named NAME_linea.txt and \"y.txt\" is "
            "not named "
            "NAME_NUMBER-.txt; give it with --name NAME");
  EXPECT_EQ(compilation_identity("N_linea.txt", "y.txt", {}, {}).errore,
            "cannot tell the train number: \"y.txt\" is not named NAME_NUMBER-.txt; give it with "
            "--train NUMBER");
  EXPECT_EQ(compilation_identity("N_linea.txt", "N_4-.txt", {}, Opt("a/b")).errore,
            "--train \"a/b\" must not contain \"/\": it becomes part of file names");
  EXPECT_EQ(compilation_identity("N_linea.txt", "N_4-.txt", Opt(""), {}).errore,
            "--name must not be empty");
}

}  // namespace
}  // namespace sc
