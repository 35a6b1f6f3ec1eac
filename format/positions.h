// A compiled line in its author's terms: where the description placed the
// element a cell holds, and the profile (speed, gradient, tunnels) as
// stretches with a value rather than cell by cell.
//
// Cells are 50 m long; cell i covers metres i x 50 to (i + 1) x 50. Signals,
// restrictions (warning, start, end) and boards stand in the cell after the
// one holding their position, so a signal written at 3500 m is in cell 71.
// A cab code stands in the cell holding its position. A speed or gradient
// entry at p holds from cell p / 50 on; a tunnel from inizio to fine covers
// cells inizio / 50 to fine / 50 - 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/percorso.h"

namespace sc {

// Metres of the entry that put the element of cell `indice` there: one
// cell back for the elements placed in the cell after their position, the
// cell's own start for the others (and for an empty cell).
int64_t description_metres(const Cella& c, size_t indice);

// A stretch of the line with one value: metres [da, a).
struct Stretch {
  int64_t from = 0;
  int64_t a = 0;
  int valore = 0;
  bool operator==(const Stretch&) const = default;
};

enum class Profile { velocita, pendenza, galleria, aderenza };

// The value of a profile in a cell: km/h, per mille, tunnel kind, adhesion.
int profile_value(const Cella& c, Profile p);

// Consecutive cells of equal value joined into stretches, in order. For
// tunnels only the cells inside one (kind not 0) make stretches.
std::vector<Stretch> stretches(const std::vector<Cella>& celle, Profile p);

// The stretches that overlap metres [da, a), cut to it.
std::vector<Stretch> clip(const std::vector<Stretch>& t, int64_t from, int64_t a);

// Text of the board of an indication-board cell (the element record its
// first value names), "" when the record is out of the table.
std::string board_text(const Cella& c, const std::array<Elemento, numero_elementi>& elementi);

// A speed board's values pack a left-hand speed (hundreds) and a
// right-hand one (units), each in steps of 5 km/h.
constexpr int32_t left_speed(int32_t v) { return v / 100 * 5; }
constexpr int32_t right_speed(int32_t v) { return v % 100 * 5; }

// The three left-hand speeds of a speed-board cell, km/h: "80/90/100".
std::string velocita_cartello(const Cella& c);

// A board's text as one line, as pictures and the viewer label it: its
// parts in brackets joined by one blank, blanks squeezed, none at the ends.
std::string text_on_one_line(const std::string& grezzo);

}  // namespace sc
