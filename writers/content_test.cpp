#include "writers/content.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sc {
namespace {

struct EncodingCase {
  const char* nome;
  std::vector<std::string> table;
  std::string expected;
};

class RowEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(RowEncoding, EncodesEntriesUpToTheMarker) {
  EXPECT_EQ(encode_rows(GetParam().table), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RowEncoding,
    ::testing::Values(
        EncodingCase{"MarkerOnly", {marcatore_fine}, ""},
        EncodingCase{
            "StopsAtMarker", {"a", "b", marcatore_fine, "after", marcatore_fine}, "a\r\nb\r\n"},
        EncodingCase{"EmptyEntryIsEmptyLine", {"", "x", "", marcatore_fine}, "\r\nx\r\n\r\n"},
        EncodingCase{"BlanksKept", {"  x  ", "   ", marcatore_fine}, "  x  \r\n   \r\n"},
        EncodingCase{"SingleBytesPassThrough", {"\xE8\xE0", marcatore_fine}, "\xE8\xE0\r\n"},
        // Only the exact marker ends the table: case and blanks count.
        EncodingCase{"MarkerComparedExactly",
                     {"Riferimento fine del file", "riferimento fine del file ", marcatore_fine},
                     "Riferimento fine del file\r\nriferimento fine del file \r\n"},
        EncodingCase{"NoMarkerWritesAll", {"a", "b"}, "a\r\nb\r\n"}),
    [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace sc
