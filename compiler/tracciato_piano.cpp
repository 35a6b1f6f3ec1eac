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
  p.tracciato = PassiTracciato{};
  p.tracciato.ultima_riga = p.lunghezza_totale;
}

std::optional<double> curvatura(std::string_view chiave) {
  for (size_t i = 0; i < std::size(classi_curvatura); ++i) {
    if (chiave.find(static_cast<char>('1' + i)) == std::string_view::npos) continue;
    return contiene_ic(chiave, "s") ? -classi_curvatura[i] : classi_curvatura[i];
  }
  return std::nullopt;
}

void PianoTracciato::semina() {
  if (t_.ultima_riga < 1) throw std::out_of_range("track plan of " + std::to_string(t_.righe()) + " rows seeded");
  t_.seminato = true;
  t_.passi.clear();
}

void PianoTracciato::passi(int64_t ultima, std::optional<double> k) {
  const int32_t i = cursore();
  if (ultima < i) return;
  if (i < 2 || ultima > t_.ultima_riga) {
    throw std::out_of_range("track plan rows " + std::to_string(i) + " to " + std::to_string(ultima));
  }
  t_.passi.push_back({static_cast<int32_t>(ultima), k.has_value(), k.value_or(0.0)});
}

// Makes the steps of rows cursore() to `fino`, one metre at a time as far
// as the result goes: the cursor test after every step stops the run once
// row `cursore_tracciato_massimo` is computed, and a step whose row lies
// beyond the plan is not made. The rows computed before either stop stay.
EsitoCurva PianoTracciato::passi_fino(int64_t fino, std::optional<double> k) {
  if (cursore() > fino) return EsitoCurva::fatta;
  const int64_t ultima = std::min({fino, int64_t{cursore_tracciato_massimo}, int64_t{t_.ultima_riga}});
  passi(ultima, k);  // none when ultima < cursore()
  if (cursore() > cursore_tracciato_massimo) return EsitoCurva::oltre_limite;
  if (cursore() <= fino) return EsitoCurva::oltre_tracciato;  // the next row lies beyond the plan
  return EsitoCurva::fatta;
}

EsitoCurva PianoTracciato::aggiungi_curva(std::string_view chiave, int32_t s, int32_t l) {
  const std::optional<double> k = curvatura(chiave);
  if (!k) return EsitoCurva::senza_classe;
  const EsitoCurva dritto = passi_fino(s, std::nullopt);
  if (dritto != EsitoCurva::fatta) return dritto;
  return passi_fino(int64_t{s} + l, k);
}

void PianoTracciato::completa() { passi(int64_t{t_.ultima_riga} - 2, std::nullopt); }

Tracciato tracciato_in_memoria(const PassiTracciato& t) {
  if (!t.presente()) return Tracciato();
  Tracciato out(t.ultima_riga);
  std::vector<Numero>& x = out.colonna(0);
  std::vector<Numero>& y = out.colonna(1);
  if (!t.seminato) return out;
  for (size_t i = 0; i < 2; ++i) {
    x.at(i) = Numero::intero(seme_x[i]);
    y.at(i) = Numero::intero(seme_y[i]);
  }
  size_t riga = 2;
  per_righe_calcolate(t, [&](double xn, double yn) {
    x.at(riga) = Numero::reale(xn);
    y.at(riga) = Numero::reale(yn);
    ++riga;
  });
  return out;
}

}  // namespace sc
