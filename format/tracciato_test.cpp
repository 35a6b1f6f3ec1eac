#include "format/tracciato.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/support/le_reader.h"

namespace sc {
namespace {

using test::LeReader;

TEST(TrackPlanSerialiser, ColumnZeroThenColumnOneWithTags) {
  Tracciato t(4);
  t.column(0)[0] = Numero::integer(0);
  t.column(0)[1] = Numero::integer(-7);
  t.column(0)[2] = Numero::real(0.1);
  t.column(1)[0] = Numero::integer(0);
  t.column(1)[1] = Numero::integer(1);
  t.column(1)[2] = Numero::real(-0.0);
  t.column(1)[3] = Numero::real(2.0000000001);

  const std::string b = serializza_tracciato(t);
  // Column 0: 4 + 4 + 10 + 2 + 2; column 1: 4 + 4 + 10 + 10 + 2.
  ASSERT_EQ(b.size(), 22u + 30u);
  LeReader r(b);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 0);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), -7);
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), 0.1);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 0);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 1);
  EXPECT_EQ(r.u16(), 5u);
  const double z = r.f64();
  EXPECT_EQ(z, 0.0);
  EXPECT_TRUE(std::signbit(z));
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), 2.0000000001);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.pos(), b.size());
  // 0.1 is stored least significant byte first.
  EXPECT_EQ(b.substr(10, 8), std::string("\x9A\x99\x99\x99\x99\x99\xB9\x3F", 8));

  EXPECT_TRUE(serializza_tracciato(Tracciato{}).empty());
}

TEST(TrackPlanSerialiser, FullLengthPlanOfTheEmbeddedLine) {
  // Rows 0 to 99000: four integer seeds, doubles up to row 98998, two
  // empty rows at the end of each column.
  Tracciato t(99000);
  for (int c = 0; c < 2; ++c) {
    t.column(c)[0] = Numero::integer(0);
    t.column(c)[1] = Numero::integer(static_cast<int16_t>(c));
    for (int32_t i = 2; i <= 98998; ++i)
      t.column(c)[static_cast<size_t>(i)] = Numero::real(c == 0 ? i * 0.5 : -i * 0.25);
  }
  const std::string b = serializza_tracciato(t);
  const size_t column = 2 * 4 + 98997 * 10 + 2 * 2;
  ASSERT_EQ(b.size(), 2 * column);
  LeReader r(b, 8 + 10 * (98998 - 2));
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), 98998 * 0.5);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.pos(), column);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 0);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 1);
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), -0.5);
}

}  // namespace
}  // namespace sc
