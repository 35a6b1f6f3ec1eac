#include "compiler/codici_gara.h"

#include <gtest/gtest.h>

#include <string>

namespace sc {
namespace {

Percorso con_identita(const std::string& treno, const std::string& scenario) {
  Percorso p;
  p.elementi[record_ripetizione].nome = treno;
  p.elementi[record_sfondo_identita].nome = scenario;
  return p;
}

TEST(CodiciGara, WorkedExamplesAndEmbeddedIdentity) {
  const struct {
    std::string treno, scenario;
    int16_t og;
    int32_t st;
  } cases[] = {
      {"abc", "", 2546, 33756},
      {"", "ABC", 2546, 33756},
      {"", "", 2583, 34355},
      {"abcdefghijklm", "nopqrstuvwxyz", 2725, 36725},
      {"409", "Corvale_Pravena AV", 2386, 31962},
      // Windows-1252 capital A grave counts as its small form (224).
      {"\xC0"
       "BC",
       "", 2673, 33883},
      {"\xE0"
       "bc",
       "", 2673, 33883},
      // The largest codes: 25 bytes of 255.
      {std::string(30, '\xFF'), "", 6375, 82875},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.treno + "|" + c.scenario);
    Percorso p = con_identita(c.treno, c.scenario);
    p.riga = "left by the parser";
    EXPECT_EQ(codice_gara_st(p), c.st);
    EXPECT_EQ(codice_gara_og(p), c.og);
    EXPECT_EQ(p.riga, contest_text(c.treno, c.scenario));
  }
}

TEST(CodiciGara, WorkingTextJoinsLowerCasesAndAppendsTheFiller) {
  EXPECT_EQ(contest_text("409", "Corvale_Pravena AV"),
            "409corvale_pravena avaabbccddeeffgghhiillmmnnoo");
  EXPECT_EQ(contest_text("", ""), "aabbccddeeffgghhiillmmnnoo");
  // The split between the two inputs does not matter.
  Percorso a = con_identita("40", "9Corvale");
  Percorso b = con_identita("409Cor", "vale");
  EXPECT_EQ(codice_gara_og(a), codice_gara_og(b));
  EXPECT_EQ(codice_gara_st(a), codice_gara_st(b));
}

TEST(CodiciGara, OnlyTheFirstTwentyFiveCharactersCount) {
  const std::string base = "abcdefghijklmnopqrstuvwxy";  // 25 characters
  Percorso a = con_identita("", base + "z");
  Percorso b = con_identita("", base + "Q and more");
  EXPECT_EQ(codice_gara_og(a), codice_gara_og(b));
  EXPECT_EQ(codice_gara_st(a), codice_gara_st(b));
  // A change at the 25th character shows in both codes; its weight is 25.
  Percorso c = con_identita("", "abcdefghijklmnopqrstuvwxz");
  EXPECT_EQ(codice_gara_og(c), codice_gara_og(a) + 1);
  EXPECT_EQ(codice_gara_st(c), codice_gara_st(a) + 25);
}

}  // namespace
}  // namespace sc
