#include "compiler/tracciato_piano.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "compiler/testo.h"

namespace sc {

void crea_tracciato(Percorso& p) {
  if (p.lunghezza_totale < 0) {
    throw std::out_of_range("track plan of " + std::to_string(p.lunghezza_totale) + " rows");
  }
  p.tracciato = Tracciato(p.lunghezza_totale);
}

std::optional<double> curvatura(std::string_view chiave) {
  static constexpr struct {
    char cifra;
    double k;
  } classi[] = {{'1', 0.0001}, {'2', 0.0002}, {'3', 0.0004},
                {'4', 0.001},  {'5', 0.002},  {'6', 0.003}};
  for (const auto& c : classi) {
    if (chiave.find(c.cifra) == std::string_view::npos) continue;
    return contiene_ic(chiave, "s") ? -c.k : c.k;
  }
  return std::nullopt;
}

void PianoTracciato::semina() {
  std::vector<Numero>& x = t_.colonna(0);
  std::vector<Numero>& y = t_.colonna(1);
  x.at(0) = Numero::intero(0);
  y.at(0) = Numero::intero(0);
  x.at(1) = Numero::intero(0);
  y.at(1) = Numero::intero(1);
  i_ = 2;
}

// Straight step: x(i) = x(i-1) + dx, y(i) = y(i-1) + dy. Curved step:
// x(i) = x(i-1) + dx + k dy, y(i) = y(i-1) + dy - k dx. The step (dx, dy)
// comes from the two points before and is never normalised.
//
// Rows i_ to `ultima` are computed in one run, the two points before each
// held in locals; the sums are the same, in the same order, as one step at
// a time.
void PianoTracciato::passi(int64_t ultima, std::optional<double> k) {
  if (ultima < i_) return;
  std::vector<Numero>& xs = t_.colonna(0);
  std::vector<Numero>& ys = t_.colonna(1);
  if (i_ < 2 || ultima >= static_cast<int64_t>(xs.size()) || ultima >= static_cast<int64_t>(ys.size())) {
    throw std::out_of_range("track plan rows " + std::to_string(i_) + " to " + std::to_string(ultima));
  }
  // Rows i_ - 2 to `ultima` lie within both columns (checked above).
  Numero* x = xs.data();
  Numero* y = ys.data();
  const size_t da = static_cast<size_t>(i_), a = static_cast<size_t>(ultima);
  double x2 = x[da - 2].valore, x1 = x[da - 1].valore;
  double y2 = y[da - 2].valore, y1 = y[da - 1].valore;
  if (k) {
    const double kk = *k;
    for (size_t i = da; i <= a; ++i) {
      const double dx = x1 - x2;
      const double dy = y1 - y2;
      const double xn = x1 + dx + kk * dy;
      const double yn = y1 + dy - kk * dx;
      x[i] = Numero::reale(xn);
      y[i] = Numero::reale(yn);
      x2 = x1, x1 = xn, y2 = y1, y1 = yn;
    }
  } else {
    for (size_t i = da; i <= a; ++i) {
      const double xn = x1 + (x1 - x2);
      const double yn = y1 + (y1 - y2);
      x[i] = Numero::reale(xn);
      y[i] = Numero::reale(yn);
      x2 = x1, x1 = xn, y2 = y1, y1 = yn;
    }
  }
  i_ = static_cast<int32_t>(ultima + 1);
}

// Makes the steps of rows i_ to `fino`, one metre at a time as far as the
// result goes: the cursor test after every step stops the run once row
// `cursore_tracciato_massimo` is computed, and a step whose row lies beyond
// the plan is not made. The rows computed before either stop stay.
EsitoCurva PianoTracciato::passi_fino(int64_t fino, std::optional<double> k) {
  if (i_ > fino) return EsitoCurva::fatta;
  const int64_t ultima_riga = int64_t{t_.righe()} - 1;
  const int64_t ultima = std::min({fino, int64_t{cursore_tracciato_massimo}, ultima_riga});
  passi(ultima, k);  // none when ultima < i_
  if (i_ > cursore_tracciato_massimo) return EsitoCurva::oltre_limite;
  if (i_ <= fino) return EsitoCurva::oltre_tracciato;  // row i_ lies beyond the plan
  return EsitoCurva::fatta;
}

EsitoCurva PianoTracciato::aggiungi_curva(std::string_view chiave, int32_t s, int32_t l) {
  const std::optional<double> k = curvatura(chiave);
  if (!k) return EsitoCurva::senza_classe;
  const EsitoCurva dritto = passi_fino(s, std::nullopt);
  if (dritto != EsitoCurva::fatta) return dritto;
  return passi_fino(int64_t{s} + l, k);
}

void PianoTracciato::completa() {
  const int64_t ultima = int64_t{t_.righe()} - 1;
  passi(ultima - 2, std::nullopt);
}

}  // namespace sc
