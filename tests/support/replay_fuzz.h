// Replays the fuzz inputs kept in the repository (fuzz/corpus/<target>/ and
// fuzz/regressions/<target>/, in name order) through a check of a libFuzzer
// target, so that the normal and sanitizer builds repeat them without
// clang. The source tree is found through SC_SOURCE_DIR in the environment.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace sc::test {

inline std::vector<std::filesystem::path> fuzz_inputs(const std::string& target) {
  namespace fs = std::filesystem;
  const char* sources = std::getenv("SC_SOURCE_DIR");
  EXPECT_NE(sources, nullptr) << "SC_SOURCE_DIR is not set";
  std::vector<fs::path> files;
  if (!sources) return files;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path dir = fs::path(sources) / "fuzz" / kind / target;
    if (!fs::is_directory(dir)) continue;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
      if (e.is_regular_file()) files.push_back(e.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Every input must pass: `check` returns "" or what it found broken.
inline void replay_fuzz(const std::string& target,
                        const std::function<std::string(std::string_view)>& check) {
  const auto files = fuzz_inputs(target);
  // The seed corpus is part of the repository: an empty list means a wrong path.
  ASSERT_FALSE(files.empty()) << "no inputs under fuzz/*/" << target;
  for (const auto& f : files) {
    SCOPED_TRACE(f.string());
    std::ifstream in(f, std::ios::binary);
    const std::string dati{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(check(dati), "");
  }
}

}  // namespace sc::test
