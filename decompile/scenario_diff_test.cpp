#include "decompile/scenario_diff.h"

#include <gtest/gtest.h>

#include <random>

#include "decompile/decoders.h"
#include "decompile/verify.h"
#include "writers/scenario.h"

namespace sc::decompile {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int rounds = 3;
#else
constexpr int rounds = 12;
#endif

// Any byte of the cells or the element table changed: the two are not the
// same, and the diff lists at least one change, whether an entry explains
// it or only its cell or record does.
TEST(ScenarioDiff, EveryByteDifferenceIsListed) {
  const Compiled c = compile_in_memory(dati_linea(), dati_treno(), "Corvale_Pravena AV", "409",
                                       /*with_tracciato=*/true);
  ASSERT_TRUE(c.written);
  const CompiledFiles before{c.celle, c.elementi, c.tracciato};
  EXPECT_TRUE(diff_scenarios(before, before).same_bytes);
  EXPECT_TRUE(diff_scenarios(before, before).changes.empty());

  std::mt19937 random(26);
  for (int i = 0; i < rounds; ++i) {
    std::string celle = c.celle, elementi = c.elementi;
    std::string& target = i % 3 == 2 ? elementi : celle;
    const size_t at = std::uniform_int_distribution<size_t>(0, target.size() - 1)(random);
    target[at] = static_cast<char>(target[at] ^ (1 + random() % 255));
    const CompiledFiles after{celle, elementi, c.tracciato};
    SCOPED_TRACE((i % 3 == 2 ? "element table byte " : "cells byte ") + std::to_string(at));
    try {
      const ScenarioDiff d = diff_scenarios(before, after);
      EXPECT_FALSE(d.same_bytes);
      EXPECT_FALSE(d.changes.empty());
      EXPECT_FALSE(stat_lines(d).empty());
    } catch (const DecodeError&) {
      // A record that no longer has the layout of its kind: the command
      // says so with status 2 before comparing.
    }
  }
}

TEST(ScenarioDiff, PositionsInMetresAndKm) {
  const struct {
    int64_t metres;
    const char* text;
  } cases[] = {{0, "0 m (0.000 km)"},
               {50, "50 m (0.050 km)"},
               {3500, "3500 m (3.500 km)"},
               {1000000, "1000000 m (1000.000 km)"},
               {-700, "-700 m (-0.700 km)"}};
  for (const auto& c : cases) EXPECT_EQ(metres_and_km(c.metres), c.text);
}

}  // namespace
}  // namespace sc::decompile
