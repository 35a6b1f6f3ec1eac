// Replays the fuzz inputs of the compiled-file readers kept in the
// repository (fuzz/corpus/<target>/ and fuzz/regressions/<target>/) through
// the checks their libFuzzer targets run, so that the sanitizer build
// repeats them without clang; and shows that the checks catch what they
// are there for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "fuzz/compiled_checks.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> ingressi(const std::string& target) {
  const char* sorgenti = std::getenv("SC_SOURCE_DIR");
  EXPECT_NE(sorgenti, nullptr) << "SC_SOURCE_DIR is not set";
  std::vector<fs::path> files;
  if (!sorgenti) return files;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path dir = fs::path(sorgenti) / "fuzz" / kind / target;
    if (!fs::is_directory(dir)) continue;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
      if (e.is_regular_file()) files.push_back(e.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

void riproduci(const std::string& target, const std::function<std::string(std::string_view)>& check) {
  const std::vector<fs::path> files = ingressi(target);
  ASSERT_FALSE(files.empty()) << "no inputs under fuzz/*/" << target;
  for (const fs::path& f : files) {
    SCOPED_TRACE(f.string());
    std::ifstream in(f, std::ios::binary);
    const std::string dati{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(check(dati), "");
  }
}

TEST(CompiledFuzzRegressions, Decoders) {
  riproduci("celle", sc::fuzz::controlla_celle);
  riproduci("elementi", sc::fuzz::controlla_elementi);
  riproduci("tracciato", sc::fuzz::controlla_tracciato);
}

TEST(CompiledFuzzRegressions, InspectAndPlot) {
  riproduci("esamina", sc::fuzz::controlla_inspect);
  riproduci("plot", sc::fuzz::controlla_plot);
}

// The checks report a rendering that would move a terminal, and a plot
// input whose lengths do not fit is skipped, not misread.
TEST(CompiledFuzzRegressions, ChecksCatchWhatTheyAreFor) {
  using sc::fuzz::compilati_detail::controlla_testo_mostrabile;
  EXPECT_EQ(controlla_testo_mostrabile("a\nb \xC3\xA8\n"), "");
  EXPECT_NE(controlla_testo_mostrabile("a\x1b[2Jb\n"), "");
  EXPECT_NE(controlla_testo_mostrabile("a\xC2\x9D" "b\n"), "");
  std::string_view file[3];
  EXPECT_FALSE(sc::fuzz::dividi_plot(std::string("\x05\0\0\x01\0\0abcd", 10), file));
  const std::string unito = sc::fuzz::unisci_plot("ab", "c", "def");  // the views point into it
  ASSERT_TRUE(sc::fuzz::dividi_plot(unito, file));
  EXPECT_EQ(file[0], "ab");
  EXPECT_EQ(file[1], "c");
  EXPECT_EQ(file[2], "def");
}

}  // namespace
