// The round trip over descriptions written as authors write them: entries
// in any order, markers that overlap, later entries overwriting earlier
// ones. Every scenario that compiles without a fault decompiles to
// descriptions that compile to the same bytes.
#include <gtest/gtest.h>

#include <string>

#include "decompile/author_generator.h"
#include "decompile/decompile.h"
#include "decompile/verify.h"
#include "tests/support/lines.h"

namespace sc::decompile {
namespace {

using test::one_per_line;

// Compiles, decompiles, and says what went wrong ("" when the files come
// back byte for byte).
std::string round_trip(const Compiled& c, const std::string& linea, const std::string& treno) {
  const Decompilation d = decompile({c.celle, c.elementi, c.tracciato});
  if (d.identical() && d.unexplained.empty()) return "";
  return d.difference.value_or("") + "\n" + one_per_line(d.unexplained) + "--- line\n" + linea +
         "--- train\n" + treno + "--- decompiled line\n" + d.linea + "--- decompiled train\n" +
         d.treno;
}

// Small descriptions where the order of the entries decides what the
// cells hold.
TEST(RoundTrip, EntriesThatOverwriteOneAnotherComeBackInAnOrderThatWorks) {
  const std::string linea =
      "[generale]\r\nlunghezza percorso,    6000\r\n[pendenze]\r\npendenza,   0,    "
      "1\r\n[fine]\r\n";
  const struct {
    const char* test_case;
    std::string treno;
  } cases[] = {
      {"a signal's markers over a later-placed signal's",
       "[generale]\r\nsegnale,    3700,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
       "segnale,    3500,   1, 4, 1,  1, 1,    2,  2,1,1, 0\r\n[fine]\r\n"},
      {"a station's markers over a signal's",
       "[generale]\r\nsegnale,    3600,   0, 4, 1,  1, 2,    2,  2,1,1, 0\r\n"
       "stazione,    3300, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    1,   10, 5, 7, NORD\r\n"
       "[fine]\r\n"},
      {"a signal's markers over a station's, itself over another signal's",
       "[generale]\r\nsegnale,    3600,   0, 4, 1,  1, 2,    2,  2,1,1, 0\r\n"
       "stazione,    3300, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    1,   10, 5, 7, NORD\r\n"
       "segnale,    3500,   1, 4, 1,  1, 0,    2,  2,1,1, 0\r\n[fine]\r\n"},
      {"speed and adhesion entries out of order, filling the last cells",
       "[generale]\r\nvelocita,   12900,    150\r\nvelocita,   100,    90\r\n"
       "velocita,   200,    60\r\naderenza,   12900,    7\r\naderenza,   0,    9\r\n"
       "[fine]\r\n"},
  };
  for (const auto& k : cases) {
    const Compiled c = compile_in_memory(linea, k.treno, "Prova", "1", true);
    ASSERT_TRUE(c.written && c.faults.empty()) << k.test_case << "\n" << one_per_line(c.faults);
    EXPECT_EQ(round_trip(c, linea, k.treno), "") << k.test_case;
  }
}

TEST(RoundTrip, AuthorsScenariosComeBackByteForByte) {
#if defined(__SANITIZE_ADDRESS__)
  constexpr uint32_t seeds = 30;
#else
  constexpr uint32_t seeds = 300;
#endif
  Overlaps total;
  int fault_free = 0, without_plan = 0, failed = 0;
  for (uint32_t seed = 1; seed <= seeds; ++seed) {
    SeededChoices choices(seed);
    AuthorGenerator<SeededChoices> g(choices);
    g.generate();
    const bool with_plan = seed % 7 != 0;
    const Compiled c =
        compile_in_memory(g.linea(), g.treno(), "Linea Prova", std::to_string(seed), with_plan);
    if (!c.written || !c.faults.empty()) continue;
    ++fault_free;
    without_plan += with_plan ? 0 : 1;
    total += g.overlaps();
    const std::string trouble = round_trip(c, g.linea(), g.treno());
    if (!trouble.empty()) ++failed;
    if (!trouble.empty() && failed <= 3) ADD_FAILURE() << "seed " << seed << ": " << trouble;
  }
  EXPECT_EQ(failed, 0);
  // Most of what the generator writes compiles, and every kind of overlap
  // comes up many times in a batch.
  EXPECT_GE(fault_free, static_cast<int>(seeds) / 2);
  EXPECT_GE(without_plan, static_cast<int>(seeds) / 20);
  const int least = static_cast<int>(seeds) / 10;
  EXPECT_GE(total.signal_over_signal, least);
  EXPECT_GE(total.signal_over_station, least);
  EXPECT_GE(total.station_over_signal, least);
  EXPECT_GE(total.restriction_over_markers, least);
  EXPECT_GE(total.board_over_markers, least);
  std::printf(
      "%d of %u fault-free (%d without a track plan); overlaps: signal over signal %d, signal "
      "over station %d, station over signal %d, restriction over markers %d, board over "
      "markers %d\n",
      fault_free, seeds, without_plan, total.signal_over_signal, total.signal_over_station,
      total.station_over_signal, total.restriction_over_markers, total.board_over_markers);
}

}  // namespace
}  // namespace sc::decompile
