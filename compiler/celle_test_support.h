// Test support: compares the cells of two models as the cells file holds
// them, naming the first cell that differs.
#pragma once

#include <string>
#include <vector>

#include "compiler/output_files.h"

namespace sc::test {

// "" when both hold the same bytes, otherwise the first cell that differs.
inline std::string differenza_celle(const std::vector<Cella>& ottenute,
                                    const std::vector<Cella>& attese) {
  if (ottenute.size() != attese.size()) {
    return std::to_string(ottenute.size()) + " cells, expected " + std::to_string(attese.size());
  }
  for (size_t i = 0; i < ottenute.size(); ++i) {
    const std::string a = serializza_celle({ottenute[i]});
    const std::string b = serializza_celle({attese[i]});
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
