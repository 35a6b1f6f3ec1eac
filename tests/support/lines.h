// Lines joined for a test's failure message: each one followed by a
// newline.
#pragma once

#include <string>
#include <vector>

namespace sc::test {

inline std::string one_per_line(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& x : lines) s += x + "\n";
  return s;
}

}  // namespace sc::test
