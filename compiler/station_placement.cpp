#include "compiler/station_placement.h"
#include "compiler/fault_codes.h"

#include <limits>
#include <stdexcept>

#include "compiler/celle.h"

namespace sc {
namespace {

bool in_32_bit(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// An extent that does not fit its 32-bit field: a run failure at the
// station's position (its first value).
Placement beyond_32_bits(const char* field, int64_t v) {
  return {25,
          std::string("station ") + field + " " + std::to_string(v) + " does not fit in 32 bits",
          0};
}

Cella& cella(Percorso& p, int64_t indice, const char* role) {
  return cella_a(p, static_cast<double>(indice), role);
}

bool con_fermata(uint8_t tipo) { return tipo < 25; }
bool with_warning_cells(uint8_t tipo) { return tipo < 25 && tipo != 5 && tipo != 6; }

// 1. The extent by type, written into `inizio` and `fine` of the record;
// types 5 to 8 lose their dato_6.
Placement extension(Elemento& r, int32_t lunghezza) {
  const int64_t prog = r.progressiva;
  const int64_t lung = lunghezza;
  int64_t inizio = 0;
  int64_t fine = 0;
  if (r.tipo == 5 || r.tipo == 6) {
    fine = prog + 150;
    inizio = prog - lung;
    r.dato_6 = 0;
  } else if (r.tipo == 7 || r.tipo == 8) {
    inizio = prog - lung;
    fine = prog + lung;
    r.dato_6 = 0;
  } else {  // centred; the length is a multiple of 100, so its half is exact
    inizio = prog - lung / 2;
    fine = prog + lung / 2 + (r.dato_6 != 0 ? 50 : 0);
  }
  if (!in_32_bit(inizio)) return beyond_32_bits("start", inizio);
  r.inizio = static_cast<int32_t>(inizio);
  if (!in_32_bit(fine)) return beyond_32_bits("end", fine);
  r.fine = static_cast<int32_t>(fine);
  return {};
}

// 4, 5. The approach markers and the stop cell of station `k`, written
// whatever the cells hold. A stop cell beyond the last cell is refused
// before anything is written.
Placement mark_cells(Percorso& p, const Elemento& r, int32_t k) {
  const int64_t fine = r.fine;
  // fine is a multiple of 50 for every entry that reaches here, so these
  // divisions are exact; rounding keeps other inputs well defined.
  const int64_t fermata = static_cast<int64_t>(arrotonda(static_cast<double>(fine) / 50.0 - 1.0));
  if (con_fermata(r.tipo) && fermata > p.last_cell()) {
    return Placement::fault(fault_code::position_beyond_line,
                            "station stop cell " + std::to_string(fermata) +
                                " lies beyond the last cell " + std::to_string(p.last_cell()));
  }
  if (with_warning_cells(r.tipo)) {
    for (int j = 1; j <= 4; ++j) {
      const int64_t c = static_cast<int64_t>(arrotonda(static_cast<double>(fine) / 50.0 - j - 1.0));
      if (c > 1) cella(p, c, "station approach cell").avviso = static_cast<uint8_t>(80 + j);
    }
  }
  if (con_fermata(r.tipo)) {
    if (!(fermata > 1)) {
      return Placement::fault(fault_code::station_end_too_near_start,
                              "station ends at " + std::to_string(fine) +
                                  " m, 100 m or less: its stop cell would be cell " +
                                  std::to_string(fermata));
    }
    Cella& c = cella(p, fermata, "station stop cell");
    c.tipo = tipo_cella::fermata;
    c.valore_1 = static_cast<int16_t>(k);
  }
  return {};
}

}  // namespace

Placement place_station(Percorso& p, int32_t& k, int32_t lunghezza, int32_t b) {
  Elemento& r = p.elementi.at(static_cast<size_t>(k));
  if (Placement e = extension(r, lunghezza); !e.placed()) return e;

  // 2, 3. A short station, and the first one, carry no dato_5; the first
  // one no dato_6 either (its extent above already used it).
  if (lunghezza < 600) r.dato_5 = 0;
  if (k == 1) {
    r.dato_5 = 0;
    r.dato_6 = 0;
  }

  if (Placement e = mark_cells(p, r, k); !e.placed()) return e;

  // 6. Spacing against the station before.
  if (k > 1) {
    const int32_t end_before = p.elementi.at(static_cast<size_t>(k - 1)).fine;
    if (int64_t{r.inizio} - 350 < end_before) {
      const int64_t gap = int64_t{r.inizio} - end_before;
      const std::string where =
          gap >= 0 ? std::to_string(gap) + " m after" : std::to_string(-gap) + " m before";
      return Placement::fault(fault_code::stations_too_close,
                              "station starts at " + std::to_string(r.inizio) + " m, " + where +
                                  " the previous one ends at " + std::to_string(end_before) +
                                  " m; it must start 350 m or more after it");
    }
  }

  // 7. Room for the next station below the board texts.
  ++k;
  if (k >= b) {
    return Placement::fault(fault_code::element_table_full,
                            "no station record left below the indication-board texts (next "
                            "record " +
                                std::to_string(k) + ", first board record " + std::to_string(b) +
                                ")");
  }
  return {};
}

}  // namespace sc
