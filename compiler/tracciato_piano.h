// The track plan: one plane point (x, y) per metre of the line, built from
// the curve entries of the line description. The parse records the steps
// (with the cursor and its checks); the rows are computed only while the
// plan is written.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/percorso.h"

namespace sc {

// The highest plan row the cursor may reach while curves are added.
constexpr int32_t cursore_tracciato_massimo = 1000000;

// The integer seeds of rows 0 and 1.
constexpr int16_t seme_x[2] = {0, 0};
constexpr int16_t seme_y[2] = {0, 1};

// Sets `tracciato` to rows 0 to `lunghezza_totale`, every entry empty.
void crea_tracciato(Percorso& p);

// The curvature classes (per metre), chosen by the digits "1" to "6" of a
// curve key in this order; radii 10000, 5000, 2500, 1000, 500 and about
// 333 m.
inline constexpr double classi_curvatura[6] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

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

// Records the plan of one parse with its cursor (the next row to compute).
// Every computed entry is a double; the seeds are 16-bit integers.
class PianoTracciato {
 public:
  explicit PianoTracciato(PassiTracciato& t) : t_(t) {}

  // Rows 0 and 1 = (0, 0) and (0, 1); the cursor goes to 2.
  void semina();

  // Straight steps up to metre s, then curved steps up to metre s + l, one
  // metre at a time. The run stops with oltre_limite once the cursor passes
  // 1000000, and with oltre_tracciato at the first row beyond the plan;
  // the points computed before either stop stay.
  EsitoCurva aggiungi_curva(std::string_view chiave, int32_t s, int32_t l);

  // Straight steps up to the third-last row; the last two rows stay empty.
  void completa();

  int32_t cursore() const { return t_.cursore(); }

 private:
  // Steps for rows cursore() to `ultima` (none when `ultima` < cursore());
  // empty `k`: straight steps. Throws std::out_of_range for rows outside
  // the plan.
  void passi(int64_t ultima, std::optional<double> k);
  // Steps up to row `fino`; see aggiungi_curva for where the run stops.
  EsitoCurva passi_fino(int64_t fino, std::optional<double> k);

  PassiTracciato& t_;
};

// The two points before the next row.
struct PuntiPrecedenti {
  double x2, x1, y2, y1;
};

// Computes the `n` rows after `s` and calls f(x, y) for each in order; `s`
// ends at the last two. Straight step: x(i) = x(i-1) + dx,
// y(i) = y(i-1) + dy. Curved step: x(i) = x(i-1) + dx + k dy,
// y(i) = y(i-1) + dy - k dx. The step (dx, dy) comes from the two points
// before and is never normalised.
template <class F>
inline void calcola_passi(PuntiPrecedenti& s, int64_t n, bool curva, double k, F&& f) {
  double x2 = s.x2, x1 = s.x1, y2 = s.y2, y1 = s.y1;
  if (curva) {
    for (int64_t i = 0; i < n; ++i) {
      const double dx = x1 - x2;
      const double dy = y1 - y2;
      const double xn = x1 + dx + k * dy;
      const double yn = y1 + dy - k * dx;
      f(xn, yn);
      x2 = x1, x1 = xn, y2 = y1, y1 = yn;
    }
  } else {
    for (int64_t i = 0; i < n; ++i) {
      const double xn = x1 + (x1 - x2);
      const double yn = y1 + (y1 - y2);
      f(xn, yn);
      x2 = x1, x1 = xn, y2 = y1, y1 = yn;
    }
  }
  s = {x2, x1, y2, y1};
}

// Every computed row of `t` (rows 2 to t.cursore() - 1) in order: f(x, y).
template <class F>
inline void per_righe_calcolate(const PassiTracciato& t, F&& f) {
  if (!t.seminato) return;
  PuntiPrecedenti s{seme_x[0], seme_x[1], seme_y[0], seme_y[1]};
  int64_t riga = 2;
  for (const PassiTracciato::Passo& p : t.passi) {
    calcola_passi(s, p.ultima - riga + 1, p.curva, p.k, f);
    riga = int64_t{p.ultima} + 1;
  }
}

// The computed rows of `t` (rows 2 to t.cursore() - 1) handed out in
// batches, the same values as per_righe_calcolate gives. The batch is
// filled by a loop that calls nothing, so the compiler keeps the two
// points before each row in registers; a writer that encodes row by row
// with calls on its way (to flush a buffer) would make it keep them in
// memory, lengthening the dependency chain from row to row.
class RigheCalcolate {
 public:
  explicit RigheCalcolate(const PassiTracciato& t)
      : t_(t), s_{seme_x[0], seme_x[1], seme_y[0], seme_y[1]} {}

  // The next rows, at most `n`, into x[0..] and y[0..]; how many were
  // given, 0 after the last.
  size_t prossime(double* x, double* y, size_t n) {
    size_t dati = 0;
    if (!t_.seminato) return 0;
    while (dati < n && passo_ < t_.passi.size()) {
      const PassiTracciato::Passo& p = t_.passi[passo_];
      const int64_t restanti = int64_t{p.ultima} - riga_ + 1;
      if (restanti <= 0) {
        ++passo_;
        continue;
      }
      const int64_t qui = std::min<int64_t>(restanti, static_cast<int64_t>(n - dati));
      double* px = x + dati;
      double* py = y + dati;
      calcola_passi(s_, qui, p.curva, p.k, [&px, &py](double xn, double yn) {
        *px++ = xn;
        *py++ = yn;
      });
      riga_ += qui;
      dati += static_cast<size_t>(qui);
      if (riga_ > p.ultima) ++passo_;
    }
    return dati;
  }

 private:
  const PassiTracciato& t_;
  PuntiPrecedenti s_;
  size_t passo_ = 0;
  int64_t riga_ = 2;
};

// The rows of `t` in memory, for tests and tools that look rows up by
// index (20 MB for the longest line: the compile itself never builds it).
Tracciato tracciato_in_memoria(const PassiTracciato& t);

}  // namespace sc
