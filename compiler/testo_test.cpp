#include "compiler/testo.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Testo, LowerCaseCoversWindows1252Capitals) {
  EXPECT_EQ(minuscole_1252("VELOCIT\xC0 Segnale"), "velocit\xE0 segnale");
  EXPECT_EQ(minuscole_1252("\xD7\xDF\x8A"), "\xD7\xDF\x9A");  // the multiplication sign and sharp s stay
  EXPECT_TRUE(contiene_ic("Stazione", "STAZIONE"));
  EXPECT_FALSE(contiene("Progressiva", "progressiva"));
}

TEST(Testo, QuotationIsShortAndPrintable) {
  EXPECT_EQ(citazione("curvax"), "curvax");
  EXPECT_EQ(citazione(std::string("a\0b\x1b", 4)), "a\\x00b\\x1b");
  const std::string lunga(10'000'000, 'k');
  EXPECT_EQ(citazione(lunga), std::string(40, 'k') + "...");
}

}  // namespace
}  // namespace sc
