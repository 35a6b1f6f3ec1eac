// The outcome of a placement routine: placed, or the fault it found. A
// placement never writes the fault number itself: the parser records the
// outcome with the entry's position and field.
#pragma once

#include <cstdint>
#include <string>

namespace sc {

struct EsitoPosa {
  // 0: placed. Otherwise the fault number; 25 is a value of the entry that
  // does not fit its cell field, a run failure at the value `valore`.
  int32_t codice = 0;
  std::string messaggio;  // what the routine found
  int valore = 0;         // for 25: which value of the entry (0 is the first)

  bool posato() const { return codice == 0; }
  static EsitoPosa guasto(int32_t codice, std::string messaggio) {
    return {codice, std::move(messaggio), 0};
  }
};

}  // namespace sc
