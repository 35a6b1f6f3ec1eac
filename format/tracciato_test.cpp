#include "format/tracciato.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "format/compiled_decode.h"
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

// A file held in a string, read as PlanFile reads a file on disk; it
// records the largest single read.
struct StringFile {
  std::string bytes;
  size_t largest_read = 0;

  ReadAt reader() {
    return [this](size_t offset, char* out, size_t n) -> size_t {
      largest_read = std::max(largest_read, n);
      if (offset >= bytes.size()) return 0;
      const size_t k = std::min(n, bytes.size() - offset);
      std::memcpy(out, bytes.data() + offset, k);
      return k;
    };
  }
};

// A plan whose values take 2, 4 and 10 bytes in an irregular pattern, so
// that values straddle the pieces and column 1 does not begin at half the
// file.
Tracciato mixed_plan(int32_t last_row) {
  Tracciato t(last_row);
  for (size_t i = 0; i < t.column(0).size(); ++i) {
    const double v = static_cast<double>(i) * 0.37 - 11.0;
    t.column(0)[i] = i % 3 == 0   ? Numero::integer(static_cast<int16_t>(i % 30000))
                     : i % 7 == 1 ? Numero{}
                                  : Numero::real(v);
    t.column(1)[i] = i % 5 == 2 ? Numero{} : Numero::real(-v);
  }
  return t;
}

bool same_value(const Numero& a, const Numero& b) {
  const double x = a.valore, y = b.valore;
  return a.tag == b.tag && std::bit_cast<uint64_t>(x) == std::bit_cast<uint64_t>(y);
}

TEST(PlanFileReading, GivesTheRowsOfTheWholeFileDecodeInPieces) {
  // 70000 rows: column 1 is found past the first mark of 2^16 values.
  for (const int32_t last_row : {0, 1, 2, 999, 69999}) {
    const Tracciato expected = mixed_plan(last_row);
    for (const size_t piece : {size_t{16}, size_t{17}, size_t{23}, size_t{65536}}) {
      SCOPED_TRACE("last row " + std::to_string(last_row) + ", pieces of " + std::to_string(piece));
      StringFile file{serializza_tracciato(expected)};
      const PlanFile plan(file.reader(), file.bytes.size(), piece);
      ASSERT_EQ(plan.rows(), expected.rows());
      size_t next = 0;
      plan.each_row([&](size_t i, const Numero& x, const Numero& y) {
        ASSERT_EQ(i, next++);
        EXPECT_TRUE(same_value(x, expected.column(0)[i])) << "row " << i << " x";
        EXPECT_TRUE(same_value(y, expected.column(1)[i])) << "row " << i << " y";
      });
      EXPECT_EQ(next, static_cast<size_t>(expected.rows()));
      EXPECT_LE(file.largest_read, piece);
    }
  }
  StringFile empty;
  EXPECT_EQ(PlanFile(empty.reader(), 0, 16).rows(), 0);
}

TEST(PlanFileReading, RefusesWhatDecodePlanRefusesWithTheSameMessage) {
  const std::string good = serializza_tracciato(mixed_plan(5000));
  struct Case {
    const char* what;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"unknown tag first", std::string("\x07\x00", 2) + good},
      {"tag cut in half", good + std::string("\x02", 1)},
      {"real cut short", good + std::string("\x05\x00\x01\x02\x03", 5)},
      {"odd count of elements", good + std::string(2, '\0')},
      {"last element cut", good.substr(0, good.size() - 1)},
      {"unknown tag past many pieces", good + std::string("\x07\x00", 2) + good},
      {"more elements than the longest line has", std::string(4 * max_plan_rows + 2, '\0')},
  };
  for (const Case& c : cases) {
    for (const size_t piece : {size_t{16}, size_t{4096}}) {
      SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(piece));
      std::string expected;
      size_t expected_offset = 0;
      try {
        decode_plan(c.bytes);
      } catch (const DecodeError& e) {
        expected = e.what();
        expected_offset = e.offset();
      }
      ASSERT_FALSE(expected.empty()) << "the case is no damaged file";
      StringFile file{c.bytes};
      try {
        const PlanFile plan(file.reader(), file.bytes.size(), piece);
        if (!expected.empty()) ADD_FAILURE() << "accepted; decode_plan says " << expected;
      } catch (const DecodeError& e) {
        EXPECT_EQ(e.what(), expected);
        EXPECT_EQ(e.offset(), expected_offset);
      }
    }
  }
}

TEST(PlanFileReading, SaysSoWhenTheFileChangesAfterItWasChecked) {
  StringFile file{serializza_tracciato(mixed_plan(3000))};
  const PlanFile plan(file.reader(), file.bytes.size(), 64);
  // Cut short behind the reader's back (written in place by another
  // program): the rows stop making sense part way.
  file.bytes.resize(file.bytes.size() / 3);
  size_t seen = 0;
  EXPECT_THROW(plan.each_row([&](size_t, const Numero&, const Numero&) { ++seen; }),
               std::runtime_error);
  EXPECT_LT(seen, 3001u);
}

}  // namespace
}  // namespace sc
