#include "model/printf_string.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

// Texts on both sides of the first attempt's buffer, which must neither be
// cut nor lose their last character.
TEST(PrintfString, GivesTheWholeTextOfAnyLength) {
  for (const size_t n : {0, 1, 254, 255, 256, 257, 4000}) {
    const std::string padding(n, 'x');
    EXPECT_EQ(printf_string("%s|%d", padding.c_str(), 42), padding + "|42") << n;
  }
}

TEST(PrintfString, FormatsLikePrintf) {
  EXPECT_EQ(printf_string("segnale, %7lld,   %d", 3500LL, 1), "segnale,    3500,   1");
  EXPECT_EQ(printf_string("%02d:%02d:%02d", 7, 5, 0), "07:05:00");
  EXPECT_EQ(printf_string("%.2f km", 1.005), "1.00 km");
}

}  // namespace
}  // namespace sc
