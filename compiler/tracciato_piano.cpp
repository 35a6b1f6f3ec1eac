#include "compiler/tracciato_piano.h"

#include <stdexcept>

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
void PianoTracciato::passo(std::optional<double> k) {
  std::vector<Numero>& x = t_.colonna(0);
  std::vector<Numero>& y = t_.colonna(1);
  const size_t i = static_cast<size_t>(i_);
  const double x1 = x.at(i - 1).valore, x2 = x.at(i - 2).valore;
  const double y1 = y.at(i - 1).valore, y2 = y.at(i - 2).valore;
  const double dx = x1 - x2;
  const double dy = y1 - y2;
  if (k) {
    x.at(i) = Numero::reale(x1 + dx + *k * dy);
    y.at(i) = Numero::reale(y1 + dy - *k * dx);
  } else {
    x.at(i) = Numero::reale(x1 + dx);
    y.at(i) = Numero::reale(y1 + dy);
  }
  ++i_;
}

EsitoCurva PianoTracciato::aggiungi_curva(std::string_view chiave, int32_t s, int32_t l) {
  const std::optional<double> k = curvatura(chiave);
  if (!k) return EsitoCurva::senza_classe;
  const int64_t fine = int64_t{s} + l;
  const int64_t ultima = int64_t{t_.righe()} - 1;
  if (fine > ultima || s > ultima) return EsitoCurva::oltre_tracciato;
  while (i_ <= s) {
    passo(std::nullopt);
    if (i_ > cursore_tracciato_massimo) return EsitoCurva::oltre_limite;
  }
  while (i_ <= fine) {
    passo(k);
    if (i_ > cursore_tracciato_massimo) return EsitoCurva::oltre_limite;
  }
  return EsitoCurva::fatta;
}

void PianoTracciato::completa() {
  const int32_t ultima = t_.righe() - 1;
  while (i_ <= ultima - 2) passo(std::nullopt);
}

}  // namespace sc
