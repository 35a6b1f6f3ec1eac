// Placement of the line description's elements: the order of the three
// kilometre references, tunnel stretches and speed-indicator boards.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "model/percorso.h"

namespace sc {

// Orders the kilometre references of records 81 to 83 by their first value
// (largest in 81) and adds 100 to the second value of every reference whose
// third value is 1.
void progressive_ordina(Percorso& p);

// The cells a tunnel stretch covers: round(inizio / 50) to
// round(fine / 50 - 1); none when `prima` > `ultima`.
struct CelleMontagna {
  int64_t prima;
  int64_t ultima;
  bool vuota() const { return prima > ultima; }
};
CelleMontagna celle_montagna(int32_t inizio, int32_t fine);

// True when a stretch fits: a free entry in the tunnel tables and every
// cell it covers within 0 to U.
bool montagna_collocabile(const Percorso& p, int32_t inizio, int32_t fine);

// Stores a tunnel stretch and marks its cells. Leaves in `tipo` the kind it
// stored. A stretch that does not fit (see montagna_collocabile) throws
// std::out_of_range before anything is changed.
void memo_montagna(Percorso& p, int32_t& inizio, int32_t& fine, int32_t& tipo);

// A speed-indicator value that does not fit its 16-bit cell field.
// `coppia` is 0, 1 or 2 for the speed pairs a, b, c and 3 for the stripes.
class ValoreIndicatoreFuoriScala : public std::range_error {
 public:
  ValoreIndicatoreFuoriScala(const std::string& what, int coppia)
      : std::range_error(what), coppia_(coppia) {}
  int coppia() const { return coppia_; }

 private:
  int coppia_;
};

// Places a speed-indicator board in cell round(posizione / 50 + 1). Sets
// `codice_errore` to 21 and writes nothing when the cell is taken. Throws
// ValoreIndicatoreFuoriScala, with the cell untouched, when a packed value
// does not fit in 16 bits.
void memo_indicatori_v_max(Percorso& p, int32_t posizione, const int32_t& vas, const int32_t& vbs,
                           const int32_t& vcs, const int32_t& strisces, const int32_t& vad,
                           const int32_t& vbd, const int32_t& vcd, const int32_t& strisced);

}  // namespace sc
