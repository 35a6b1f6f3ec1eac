#include "writers/contenuto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sc {
namespace {

struct CasoCodifica {
  const char* nome;
  std::vector<std::string> tabella;
  std::string atteso;
};

class CodificaRighe : public ::testing::TestWithParam<CasoCodifica> {};

TEST_P(CodificaRighe, EncodesEntriesUpToTheMarker) {
  EXPECT_EQ(codifica_righe(GetParam().tabella), GetParam().atteso);
}

INSTANTIATE_TEST_SUITE_P(
    Casi, CodificaRighe,
    ::testing::Values(
        CasoCodifica{"MarkerOnly", {marcatore_fine}, ""},
        CasoCodifica{"StopsAtMarker", {"a", "b", marcatore_fine, "after", marcatore_fine}, "a\r\nb\r\n"},
        CasoCodifica{"EmptyEntryIsEmptyLine", {"", "x", "", marcatore_fine}, "\r\nx\r\n\r\n"},
        CasoCodifica{"BlanksKept", {"  x  ", "   ", marcatore_fine}, "  x  \r\n   \r\n"},
        CasoCodifica{"SingleBytesPassThrough", {"\xE8\xE0", marcatore_fine}, "\xE8\xE0\r\n"},
        // Only the exact marker ends the table: case and blanks count.
        CasoCodifica{"MarkerComparedExactly",
                     {"Riferimento fine del file", "riferimento fine del file ", marcatore_fine},
                     "Riferimento fine del file\r\nriferimento fine del file \r\n"},
        CasoCodifica{"NoMarkerWritesAll", {"a", "b"}, "a\r\nb\r\n"}),
    [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace sc
