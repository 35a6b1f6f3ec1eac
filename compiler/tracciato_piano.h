// The track plan: one plane point (x, y) per metre of the line, built from
// the curve entries of the line description.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/percorso.h"

namespace sc {

// The highest plan row the cursor may reach while curves are added.
constexpr int32_t cursore_tracciato_massimo = 1000000;

// Creates `tracciato` with rows 0 to `lunghezza_totale`, every entry empty.
void crea_tracciato(Percorso& p);

// The curvature (per metre) of a curve key: the first of the digits 1 to 6
// that the key contains picks the class; an "s" (either case) makes it
// negative (a left curve). Empty when the key holds none of the digits.
std::optional<double> curvatura(std::string_view chiave);

enum class EsitoCurva {
  fatta,
  senza_classe,     // the key holds no digit 1 to 6
  oltre_tracciato,  // the next row to compute lies beyond the last row of the plan
  oltre_limite,     // the cursor went above 1000000
};

// Builds the plan of one parse, metre by metre, with its cursor (the next
// row to compute). Every computed entry is a double; the seeds are 16-bit
// integers.
class PianoTracciato {
 public:
  explicit PianoTracciato(Tracciato& t) : t_(t) {}

  // Rows 0 and 1 = (0, 0) and (0, 1); the cursor goes to 2.
  void semina();

  // Straight steps up to metre s, then curved steps up to metre s + l, one
  // metre at a time. The run stops with oltre_limite once the cursor passes
  // 1000000, and with oltre_tracciato at the first row beyond the plan;
  // the points computed before either stop stay.
  EsitoCurva aggiungi_curva(std::string_view chiave, int32_t s, int32_t l);

  // Straight steps up to the third-last row; the last two rows stay empty.
  void completa();

  int32_t cursore() const { return i_; }

 private:
  // Steps for rows i_ to `ultima` (none when `ultima` < i_); empty `k`:
  // straight steps. Throws std::out_of_range for rows outside the plan.
  void passi(int64_t ultima, std::optional<double> k);
  // Steps up to row `fino`; see aggiungi_curva for where the run stops.
  EsitoCurva passi_fino(int64_t fino, std::optional<double> k);

  Tracciato& t_;
  int32_t i_ = 2;
};

}  // namespace sc
