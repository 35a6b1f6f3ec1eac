// The cell consistency pass: cab-code cells of 180 km/h around speed
// restrictions and the signals near them.
#pragma once

#include <initializer_list>
#include <string>

#include "compiler/fault.h"
#include "compiler/fault_codes.h"
#include "model/percorso.h"

namespace sc {

// The smaller of two values: `y` when `x` is greater than `y`, otherwise `x`
// (so `x` on a tie).
constexpr double minimo(double x, double y) { return x > y ? y : x; }

// The speed of every cab-code cell the pass places or lowers, km/h.
constexpr int16_t code_speed_step = 180;

// Walks cells 1 to U - 2 once. Before a restriction warning board (type 4)
// every signal in the 20 cells before it gets a cab-code cell in one of the
// two cells before it; before a restriction start (type 3) three approach
// cab-code cells are placed, inside a restriction below 110 km/h one every
// 8 cells, and before the first signal within 12 cells after its end cell
// one more. Where there is no room, faults 11, 12 and 13 are recorded with
// the position (cell index x 50) and the walk goes on. The walk never steps
// past the last cell U. A model without cells is left as it is.
void cell_pass(Percorso& p, FaultLog& log);

// The walk of the pass, reading and acting on the cells through `Cells`,
// which provides:
//   int32_t last() const                  the last cell U (below 3: nothing to walk)
//   uint8_t type(int32_t c)               the cell's type as the walk finds it
//   int16_t speed(int32_t c)              its valore_1
//   bool is_free(int32_t c)               whether the walk may place a cab-code cell there
//   bool is_code(int32_t c)               whether it holds a cab-code cell with a speed
//   void place_code(int32_t c)            the walk places a cab-code cell of 180 km/h
//   void lower_code(int32_t c)            the walk lowers the cab-code cell there to 180 km/h
//   void no_room(int32_t code, int32_t c, std::string message,
//                std::initializer_list<int32_t> cells)
//                                         no room at cell c: fault `code`, the first of
//                                         `cells` placed by the entry it stands at
// The compile changes the cells; the decompile runs the same walk over
// compiled cells to tell the pass's cab-code cells from the author's.
template <typename Cells>
class CellPassWalk {
 public:
  explicit CellPassWalk(Cells& cells) : c_(cells), u_(cells.last()) {}

  void run() {
    for (int32_t i = 1; i <= u_ - 2; ++i) {
      const uint8_t t = c_.type(i);
      if (t == tipo_cella::avviso_rallentamento) signals_before_warning(i);
      if (t == tipo_cella::inizio_rallentamento) inizio_rallentamento(i);
    }
  }

 private:
  // Rule A: cell i holds a restriction warning board.
  void signals_before_warning(int32_t i) {
    for (int32_t k = 1; k <= 20; ++k) {
      const int32_t m = i - k;
      if (m < 3) return;
      if (c_.type(m) != tipo_cella::segnale) continue;
      if (c_.is_free(m - 1)) {
        c_.place_code(m - 1);
      } else if (c_.is_free(m - 2)) {
        c_.place_code(m - 2);
      } else if (c_.is_code(m - 1)) {
        c_.lower_code(m - 1);
      } else if (c_.is_code(m - 2)) {
        c_.lower_code(m - 2);
      } else {
        c_.no_room(fault_code::no_room_before_signal, m,
                   "no room for a cab-code cell before the signal at " + std::to_string(m * 50) +
                       " m, which stands within 1000 m before a restriction's warning board",
                   {m, i, m - 1, m - 2});
      }
    }
  }

  // Rule B: cell i holds a restriction start.
  void inizio_rallentamento(int32_t i) {
    approach_group(i, 7, 5, "250 to 350 m");
    approach_group(i, 13, 11, "550 to 650 m");
    approach_group(i, 20, 18, "900 to 1000 m");
    const int32_t fine = c_.speed(i) < 110 ? codes_in_restriction(i) : end_cell(i);
    signal_after_end(fine, i);
  }

  // B1: one code cell in the first free cell of i - primo, i - primo - 1,
  // i - primo - 2, when i > ultimo.
  void approach_group(int32_t i, int32_t last, int32_t first, const char* distance) {
    if (i <= last) return;
    for (int32_t c = i - first; c >= i - last; --c) {
      if (c_.is_free(c)) {
        c_.place_code(c);
        return;
      }
    }
    c_.no_room(fault_code::no_room_before_restriction, i,
               std::string("no free cell for the approach cab-code cell ") + distance +
                   " before the restriction start",
               {i, i - first, i - first - 1, i - last});
  }

  // B2: a code cell every 8 cells inside a slow restriction. Returns the
  // cell the walk stopped on: the end cell, or U when none comes first.
  int32_t codes_in_restriction(int32_t i) {
    int32_t n = 0;
    int32_t k = i;
    do {
      ++k;
      ++n;
      if (n == 8) {
        if (c_.is_free(k)) {
          c_.place_code(k);
          n = 0;
        } else if (c_.is_free(k - 1)) {
          c_.place_code(k - 1);
          n = 1;
        } else if (k + 1 <= u_ && c_.is_free(k + 1)) {
          c_.place_code(k + 1);
          n = -1;
        } else {
          c_.no_room(fault_code::no_room_in_restriction, k,
                     "no free cell for the cab-code cell due inside the restriction",
                     {i, k - 1, k, k + 1});
        }
      }
    } while (c_.type(k) != tipo_cella::fine_rallentamento && k < u_);
    return k;
  }

  // The restriction's own end cell: the first cell of type 2 after the
  // start cell i, or U when none comes first.
  int32_t end_cell(int32_t i) {
    int32_t k = i;
    do {
      ++k;
    } while (c_.type(k) != tipo_cella::fine_rallentamento && k < u_);
    return k;
  }

  // B3: a code cell before the first signal in cells k to k + 12.
  void signal_after_end(int32_t k, int32_t i) {
    int32_t s = 0;
    const int32_t limite = k + 12 < u_ ? k + 12 : u_;
    for (int32_t q = k; q <= limite; ++q) {
      if (c_.type(q) == tipo_cella::segnale) {
        s = q - 1;
        break;
      }
    }
    if (s <= 0) return;
    if (c_.is_free(s)) {
      c_.place_code(s);
    } else if (c_.is_free(s - 1)) {
      c_.place_code(s - 1);
    } else {
      c_.no_room(fault_code::no_room_in_restriction, k,
                 "no room for a cab-code cell before the first signal after the restriction end",
                 {s + 1, i, s, s - 1});
    }
  }

  Cells& c_;
  const int32_t u_;
};

}  // namespace sc
