// Replays the fuzz inputs of the compiled-file readers kept in the
// repository (fuzz/corpus/<target>/ and fuzz/regressions/<target>/) through
// the checks their libFuzzer targets run, so that the sanitizer build
// repeats them without clang; and shows that the checks catch what they
// are there for.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "fuzz/compiled_checks.h"
#include "tests/support/replay_fuzz.h"

namespace {

using sc::test::replay_fuzz;

TEST(CompiledFuzzRegressions, Decoders) {
  replay_fuzz("celle", sc::fuzz::check_celle);
  replay_fuzz("elementi", sc::fuzz::check_elementi);
  replay_fuzz("tracciato", sc::fuzz::check_tracciato);
}

TEST(CompiledFuzzRegressions, InspectAndPlot) {
  replay_fuzz("listing", sc::fuzz::check_inspect);
  replay_fuzz("plot", sc::fuzz::check_plot);
}

// The checks report a rendering that would move a terminal, and a plot
// input whose lengths do not fit is skipped, not misread.
TEST(CompiledFuzzRegressions, ChecksCatchWhatTheyAreFor) {
  using sc::fuzz::compiled_detail::check_showable_text;
  EXPECT_EQ(check_showable_text("a\nb \xC3\xA8\n"), "");
  EXPECT_NE(check_showable_text("a\x1b[2Jb\n"), "");
  EXPECT_NE(check_showable_text("a\xC2\x9D"
                                "b\n"),
            "");
  std::string_view file[3];
  EXPECT_FALSE(sc::fuzz::split_plot(std::string("\x05\0\0\x01\0\0abcd", 10), file));
  const std::string joined = sc::fuzz::merge_plot("ab", "c", "def");  // the views point into it
  ASSERT_TRUE(sc::fuzz::split_plot(joined, file));
  EXPECT_EQ(file[0], "ab");
  EXPECT_EQ(file[1], "c");
  EXPECT_EQ(file[2], "def");
}

}  // namespace
