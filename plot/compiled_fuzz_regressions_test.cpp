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
#include "tests/support/riproduci_fuzz.h"

namespace {

using sc::test::riproduci_fuzz;

TEST(CompiledFuzzRegressions, Decoders) {
  riproduci_fuzz("celle", sc::fuzz::controlla_celle);
  riproduci_fuzz("elementi", sc::fuzz::controlla_elementi);
  riproduci_fuzz("tracciato", sc::fuzz::controlla_tracciato);
}

TEST(CompiledFuzzRegressions, InspectAndPlot) {
  riproduci_fuzz("esamina", sc::fuzz::controlla_inspect);
  riproduci_fuzz("plot", sc::fuzz::controlla_plot);
}

// The checks report a rendering that would move a terminal, and a plot
// input whose lengths do not fit is skipped, not misread.
TEST(CompiledFuzzRegressions, ChecksCatchWhatTheyAreFor) {
  using sc::fuzz::compilati_detail::controlla_testo_mostrabile;
  EXPECT_EQ(controlla_testo_mostrabile("a\nb \xC3\xA8\n"), "");
  EXPECT_NE(controlla_testo_mostrabile("a\x1b[2Jb\n"), "");
  EXPECT_NE(controlla_testo_mostrabile("a\xC2\x9D"
                                       "b\n"),
            "");
  std::string_view file[3];
  EXPECT_FALSE(sc::fuzz::dividi_plot(std::string("\x05\0\0\x01\0\0abcd", 10), file));
  const std::string unito = sc::fuzz::unisci_plot("ab", "c", "def");  // the views point into it
  ASSERT_TRUE(sc::fuzz::dividi_plot(unito, file));
  EXPECT_EQ(file[0], "ab");
  EXPECT_EQ(file[1], "c");
  EXPECT_EQ(file[2], "def");
}

}  // namespace
