#include "compiler/fault_catalogue.h"

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

TEST(FaultCatalogue, EveryEntryIsCompleteAndItsCodeIsWellFormedAndUnique) {
  std::set<std::string_view> seen;
  for (const CodeEntry& v : fault_catalogue()) {
    SCOPED_TRACE(std::string(v.codice));
    for (std::string_view field :
         {v.title, v.meaning, v.rule, v.remedy, v.example, v.fix, v.section}) {
      EXPECT_FALSE(field.empty());
    }
    EXPECT_NE(v.example, v.fix);
    EXPECT_TRUE(seen.insert(v.codice).second) << "twice";
    const char prefix = v.severity == Severity::errore   ? 'E'
                        : v.severity == Severity::avviso ? 'W'
                                                         : 'N';
    ASSERT_GE(v.codice.size(), 2u);
    EXPECT_EQ(v.codice[0], prefix);
    EXPECT_EQ(v.codice.find_first_not_of("0123456789", 1), std::string_view::npos);
    EXPECT_NE(v.codice[1], '0');
    // An example that replaces an exported line is a line of a description.
    if (!v.replaces.empty()) {
      EXPECT_NE(v.file, ExampleFile::none);
    }
  }
}

TEST(FaultCatalogue, FindsACodeWrittenAsTheUserMayTypeIt) {
  const struct {
    const char* text;
    const char* found;  // null: none
  } cases[] = {
      {"16", "E16"},     {"E16", "E16"},   {"e16", "E16"}, {"1250", "E1250"}, {"E1251", "E1251"},
      {"3", "E3"},       {"W3", "W3"},     {"w12", "W12"}, {"n1", "N1"},      {"E14", nullptr},
      {"W99", nullptr},  {"", nullptr},    {"E", nullptr}, {"x16", nullptr},  {"16 ", nullptr},
      {"E016", nullptr}, {"-16", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const CodeEntry* v = find_code(c.text);
    if (c.found == nullptr) {
      EXPECT_EQ(v, nullptr);
    } else {
      ASSERT_NE(v, nullptr);
      EXPECT_EQ(v->codice, c.found);
    }
  }
  EXPECT_EQ(codice_fault(16), "E16");
  EXPECT_EQ(codice_fault(1250), "E1250");
}

TEST(FaultCatalogue, EverySectionIsAHeadingOfTheFormatReference) {
  const char* sources = std::getenv("SC_SOURCE_DIR");
  ASSERT_NE(sources, nullptr) << "SC_SOURCE_DIR is not set";
  std::ifstream in(std::string(sources) + "/docs/format.md");
  ASSERT_TRUE(in) << "docs/format.md cannot be read";
  std::set<std::string> titles;
  for (std::string riga; std::getline(in, riga);) {
    const size_t cancelletti = riga.find_first_not_of('#');
    if (cancelletti == 0 || cancelletti == std::string::npos || riga[cancelletti] != ' ') continue;
    titles.insert(riga.substr(cancelletti + 1));
  }
  for (const CodeEntry& v : fault_catalogue()) {
    EXPECT_TRUE(titles.count(std::string(v.section)))
        << v.codice << ": no heading \"" << v.section << "\"";
  }
}

// Every fault number the compile records by name has its catalogue entry,
// and every fault of the catalogue has its name.
TEST(FaultCatalogue, NamedFaultCodesAndTheCatalogueAgree) {
  for (const int32_t n : fault_code::all) {
    const CodeEntry* v = find_code(codice_fault(n));
    ASSERT_NE(v, nullptr) << "fault " << n << " has no catalogue entry";
    EXPECT_EQ(v->severity, Severity::errore) << n;
  }
  for (const CodeEntry& v : fault_catalogue()) {
    if (v.severity != Severity::errore) continue;
    const int32_t n = std::stoi(std::string(v.codice.substr(1)));
    EXPECT_NE(std::find(fault_code::all.begin(), fault_code::all.end(), n), fault_code::all.end())
        << v.codice << " has no named constant";
  }
}

}  // namespace
}  // namespace sc
