#include "compiler/text_1252.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Text, LowerCaseCoversWindows1252Capitals) {
  EXPECT_EQ(lowercase_1252("VELOCIT\xC0 Segnale"), "velocit\xE0 segnale");
  EXPECT_EQ(lowercase_1252("\xD7\xDF\x8A"),
            "\xD7\xDF\x9A");  // the multiplication sign and sharp s stay
  EXPECT_TRUE(contains_ic("Stazione", "STAZIONE"));
  EXPECT_FALSE(contains("Progressiva", "progressiva"));
}

TEST(Text, QuotationIsShortAndPrintable) {
  EXPECT_EQ(quote("curvax"), "curvax");
  EXPECT_EQ(quote(std::string("a\0b\x1b", 4)), "a\\x00b\\x1b");
  const std::string long_text(10'000'000, 'k');
  EXPECT_EQ(quote(long_text), std::string(40, 'k') + "...");
}

}  // namespace
}  // namespace sc
