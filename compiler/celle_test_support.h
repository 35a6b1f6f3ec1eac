// Test support: compares the cells of two models as the cells file holds
// them, naming the first cell that differs.
#pragma once

#include <string>
#include <vector>

#include "compiler/mark_and_encode.h"

namespace sc::test {

// "" when both hold the same bytes, otherwise the first cell that differs.
inline std::string cells_difference(const std::vector<Cella>& got,
                                    const std::vector<Cella>& expected) {
  if (got.size() != expected.size()) {
    return std::to_string(got.size()) + " cells, expected " + std::to_string(expected.size());
  }
  for (size_t i = 0; i < got.size(); ++i) {
    const std::string a = serializza_celle({got[i]});
    const std::string b = serializza_celle({expected[i]});
    if (a == b) continue;
    std::string s = "cell " + std::to_string(i) + " differs at byte";
    for (size_t k = 0; k < a.size(); ++k) {
      if (a[k] != b[k]) s += " " + std::to_string(k);
    }
    return s;
  }
  return "";
}

}  // namespace sc::test
