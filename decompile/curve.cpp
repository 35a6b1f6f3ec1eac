// Curve entries from the track plan. Every computed row is the exact
// result of one straight or curved step from the two rows before it, so a
// row either matches a curvature class bit for bit or matches none.
#include <algorithm>
#include <bit>
#include <cstring>

#include "decompile/ricostruzione.h"

namespace sc::decompila {
namespace {

constexpr double curvature[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

bool uguale(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

// Class of a row: 0 straight, +n a right curve of class n, -n a left one.
struct Passo {
  double x, y;
};

Passo passo(double x2, double x1, double y2, double y1, int classe) {
  const double dx = x1 - x2;
  const double dy = y1 - y2;
  if (classe == 0) return {x1 + dx, y1 + dy};
  const double k = classe > 0 ? curvature[classe - 1] : -curvature[-classe - 1];
  return {x1 + dx + k * dy, y1 + dy - k * dx};
}

std::string chiave(int classe) {
  return std::string("curva") + (classe > 0 ? "d" : "s") + std::to_string(classe > 0 ? classe : -classe);
}

}  // namespace

void curve(const Dati& d, DescrizioneLinea& out, Note& note) {
  if (!d.tracciato) return;
  const Tracciato& t = *d.tracciato;
  const int64_t righe = t.righe();
  const int64_t lunghezza_totale = int64_t{d.elementi[record_treno_linea].fine} + coda_linea;
  if (righe != lunghezza_totale + 1) {
    note.aggiungi("track plan: " + std::to_string(righe) + " rows where a line of " +
                  std::to_string(d.elementi[record_treno_linea].fine) + " m has " +
                  std::to_string(lunghezza_totale + 1));
  }
  if (righe < 4) return;
  const std::vector<Numero>& xs = t.colonna(0);
  const std::vector<Numero>& ys = t.colonna(1);
  const auto seme = [&](int64_t r, double x, double y) {
    const Numero a = xs[static_cast<size_t>(r)], b = ys[static_cast<size_t>(r)];
    if (a.tag != Numero::Tag::intero || b.tag != Numero::Tag::intero || a.valore != x || b.valore != y) {
      note.aggiungi("track plan row " + std::to_string(r) + ": not the start point the compile writes");
    }
  };
  seme(0, 0, 0);
  seme(1, 0, 1);

  const int64_t ultima = righe - 3;  // the last two rows stay empty
  int precedente = 0;
  int64_t inizio = 0;  // first row of the curve in progress
  int inspiegate = 0;
  const auto chiudi = [&](int64_t fino) {
    if (precedente == 0) return;
    const int64_t s = inizio - 1, l = fino - inizio + 1;
    out.curve.push_back(chiave(precedente) + printf_string(",  %lld,  %lld", static_cast<long long>(s), static_cast<long long>(l)));
  };
  for (int64_t i = 2; i <= ultima; ++i) {
    const size_t r = static_cast<size_t>(i);
    const Numero x = xs[r], y = ys[r];
    int classe = 0;
    bool trovata = false;
    if (x.tag == Numero::Tag::reale && y.tag == Numero::Tag::reale) {
      const double x2 = xs[r - 2].valore, x1 = xs[r - 1].valore, y2 = ys[r - 2].valore, y1 = ys[r - 1].valore;
      const auto prova = [&](int c) {
        const Passo p = passo(x2, x1, y2, y1, c);
        return uguale(p.x, x.valore) && uguale(p.y, y.valore);
      };
      // The class of the row before first (the fewest entries), then a
      // straight step, then the curves.
      static constexpr int ordine[] = {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6};
      if (prova(precedente)) {
        classe = precedente, trovata = true;
      } else {
        for (int c : ordine) {
          if (c != precedente && prova(c)) {
            classe = c, trovata = true;
            break;
          }
        }
      }
    }
    if (!trovata && ++inspiegate <= 5) {
      note.aggiungi("track plan row " + std::to_string(i) + ": no straight or curved step gives this point");
    }
    if (classe != precedente) {
      chiudi(i - 1);
      precedente = classe;
      inizio = i;
    }
  }
  chiudi(ultima);
  if (inspiegate > 5) note.aggiungi("track plan: " + std::to_string(inspiegate - 5) + " more rows like these");
  for (int64_t i = std::max<int64_t>(ultima + 1, 2); i < righe; ++i) {
    if (xs[static_cast<size_t>(i)].tag != Numero::Tag::vuoto || ys[static_cast<size_t>(i)].tag != Numero::Tag::vuoto) {
      note.aggiungi("track plan row " + std::to_string(i) + ": the compile leaves the last two rows empty");
    }
  }
}

}  // namespace sc::decompila
