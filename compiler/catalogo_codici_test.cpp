#include "compiler/catalogo_codici.h"

#include <algorithm>

#include "compiler/fault_codes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace sc {
namespace {

TEST(CatalogoCodici, EveryEntryIsCompleteAndItsCodeIsWellFormedAndUnique) {
  std::set<std::string_view> visti;
  for (const VoceCodice& v : catalogo_codici()) {
    SCOPED_TRACE(std::string(v.codice));
    for (std::string_view campo : {v.titolo, v.significato, v.regola, v.rimedio, v.esempio, v.correzione, v.sezione}) {
      EXPECT_FALSE(campo.empty());
    }
    EXPECT_NE(v.esempio, v.correzione);
    EXPECT_TRUE(visti.insert(v.codice).second) << "twice";
    const char prefisso = v.gravita == Gravita::errore ? 'E' : v.gravita == Gravita::avviso ? 'W' : 'N';
    ASSERT_GE(v.codice.size(), 2u);
    EXPECT_EQ(v.codice[0], prefisso);
    EXPECT_EQ(v.codice.find_first_not_of("0123456789", 1), std::string_view::npos);
    EXPECT_NE(v.codice[1], '0');
    // An example that replaces an exported line is a line of a description.
    if (!v.sostituisce.empty()) {
      EXPECT_NE(v.file, FileEsempio::nessuno);
    }
  }
}

TEST(CatalogoCodici, FindsACodeWrittenAsTheUserMayTypeIt) {
  const struct {
    const char* testo;
    const char* trovato;  // null: none
  } casi[] = {
      {"16", "E16"},   {"E16", "E16"}, {"e16", "E16"}, {"1250", "E1250"}, {"E1251", "E1251"},
      {"3", "E3"},     {"W3", "W3"},   {"w12", "W12"}, {"n1", "N1"},      {"E14", nullptr},
      {"W99", nullptr}, {"", nullptr},  {"E", nullptr},  {"x16", nullptr},  {"16 ", nullptr},
      {"E016", nullptr}, {"-16", nullptr},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.testo);
    const VoceCodice* v = trova_codice(c.testo);
    if (c.trovato == nullptr) {
      EXPECT_EQ(v, nullptr);
    } else {
      ASSERT_NE(v, nullptr);
      EXPECT_EQ(v->codice, c.trovato);
    }
  }
  EXPECT_EQ(codice_fault(16), "E16");
  EXPECT_EQ(codice_fault(1250), "E1250");
}

TEST(CatalogoCodici, EverySectionIsAHeadingOfTheFormatReference) {
  const char* sorgenti = std::getenv("SC_SOURCE_DIR");
  ASSERT_NE(sorgenti, nullptr) << "SC_SOURCE_DIR is not set";
  std::ifstream in(std::string(sorgenti) + "/docs/format.md");
  ASSERT_TRUE(in) << "docs/format.md cannot be read";
  std::set<std::string> titoli;
  for (std::string riga; std::getline(in, riga);) {
    const size_t cancelletti = riga.find_first_not_of('#');
    if (cancelletti == 0 || cancelletti == std::string::npos || riga[cancelletti] != ' ') continue;
    titoli.insert(riga.substr(cancelletti + 1));
  }
  for (const VoceCodice& v : catalogo_codici()) {
    EXPECT_TRUE(titoli.count(std::string(v.sezione))) << v.codice << ": no heading \"" << v.sezione << "\"";
  }
}

// Every fault number the compile records by name has its catalogue entry,
// and every fault of the catalogue has its name.
TEST(CatalogoCodici, NamedFaultCodesAndTheCatalogueAgree) {
  for (const int32_t n : fault_code::all) {
    const VoceCodice* v = trova_codice(codice_fault(n));
    ASSERT_NE(v, nullptr) << "fault " << n << " has no catalogue entry";
    EXPECT_EQ(v->gravita, Gravita::errore) << n;
  }
  for (const VoceCodice& v : catalogo_codici()) {
    if (v.gravita != Gravita::errore) continue;
    const int32_t n = std::stoi(std::string(v.codice.substr(1)));
    EXPECT_NE(std::find(fault_code::all.begin(), fault_code::all.end(), n), fault_code::all.end())
        << v.codice << " has no named constant";
  }
}

}  // namespace
}  // namespace sc
