// Whether the three compiled files a reader is given can be of one compile:
// what the cells and the element table each say of the scenario's
// identity, its line length and its stations, and the track plan's rows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/percorso.h"

namespace sc {

struct SetToCompare {
  const std::vector<Cella>& celle;
  const std::array<Elemento, numero_elementi>& elementi;
  std::optional<int32_t> plan_rows;  // none without a track plan
  // The files' names, to say which one disagrees.
  std::string cells_name, elements_name, plan_name;
};

// One line for each thing the files disagree on, naming the file that
// disagrees with the element table; none when they can be of one compile.
// Only files that carry the compile's marks (cell 1 and record 85) are
// compared: others (edited by hand, damaged) are taken as they are.
std::vector<std::string> set_disagreements(const SetToCompare& s);

}  // namespace sc
