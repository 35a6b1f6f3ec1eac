// The outcome of a placement routine: placed, or the fault it found. A
// placement never writes the fault number itself: the parser records the
// outcome with the entry's position and field.
#pragma once

#include <cstdint>
#include <string>

namespace sc {

struct Placement {
  // 0: placed. Otherwise the fault number; 25 is a value of the entry that
  // does not fit its cell field, a run failure at the value `valore`.
  int32_t codice = 0;
  std::string message;  // what the routine found
  int valore = 0;       // for 25: which value of the entry (0 is the first)

  bool placed() const { return codice == 0; }
  static Placement fault(int32_t codice, std::string message) {
    return {codice, std::move(message), 0};
  }
};

}  // namespace sc
