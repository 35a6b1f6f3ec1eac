// Which cab-code cells the consistency pass added. The pass is run again
// over the compiled cells, with its own rules and order; a cab-code cell of
// 180 km/h that the pass finds where it would place one is taken as its
// own, any other as the author's.
#include "decompile/ricostruzione.h"

namespace sc::decompila {
namespace {

constexpr int16_t velocita_passo = 180;

class PassoInverso {
 public:
  PassoInverso(const std::vector<Cella>& c, Note& note)
      : c_(c), note_(note), u_(static_cast<int32_t>(c.size()) - 1), stato_(c.size(), Stato::altro) {
    for (size_t i = 0; i < c.size(); ++i) {
      if (c[i].tipo == tipo_cella::codice || c[i].tipo == tipo_cella::codice_senza_velocita) stato_[i] = Stato::ignoto;
    }
  }

  std::vector<bool> esegui() {
    for (int32_t i = 1; i <= u_ - 2; ++i) {
      const uint8_t t = c_[static_cast<size_t>(i)].tipo;
      if (t == tipo_cella::avviso_rallentamento) regola_a(i);
      if (t == tipo_cella::inizio_rallentamento) regola_b(i);
    }
    std::vector<bool> del_passo(c_.size());
    for (size_t i = 0; i < c_.size(); ++i) del_passo[i] = stato_[i] == Stato::passo;
    return del_passo;
  }

 private:
  enum class Stato { altro, ignoto, autore, passo };

  bool valida(int32_t i) const { return i >= 0 && i <= u_; }

  // Free before the pass reached it: empty or a tunnel marker, or a code
  // cell of 180 not yet claimed (the pass's own, from here on).
  bool libera(int32_t i) {
    if (!valida(i)) return false;
    const Cella& x = c_[static_cast<size_t>(i)];
    Stato& s = stato_[static_cast<size_t>(i)];
    if (s == Stato::ignoto) {
      if (x.tipo == tipo_cella::codice && x.valore_1 == velocita_passo) return true;
      s = Stato::autore;
      return false;
    }
    if (s != Stato::altro) return false;
    return x.tipo == tipo_cella::vuota || x.tipo == tipo_cella::marca_galleria;
  }
  bool codice(int32_t i) const { return valida(i) && c_[static_cast<size_t>(i)].tipo == tipo_cella::codice; }
  void metti(int32_t i) {
    Stato& s = stato_[static_cast<size_t>(i)];
    if (s != Stato::ignoto) {
      note_.aggiungi(cella_at(i) + ": the consistency pass puts a cab-code cell of 180 km/h here, which the file lacks");
    }
    s = Stato::passo;
  }
  void abbassa(int32_t i) {
    if (c_[static_cast<size_t>(i)].valore_1 > velocita_passo) {
      note_.aggiungi(cella_at(i) + ": the consistency pass lowers this cab code to 180 km/h, which the file does not show");
    }
    if (stato_[static_cast<size_t>(i)] == Stato::ignoto) stato_[static_cast<size_t>(i)] = Stato::autore;
  }
  uint8_t tipo(int32_t i) const { return valida(i) ? c_[static_cast<size_t>(i)].tipo : 0; }

  // Signals within 20 cells before a restriction warning board.
  void regola_a(int32_t i) {
    for (int32_t k = 1; k <= 20; ++k) {
      const int32_t m = i - k;
      if (m < 3) return;
      if (tipo(m) != tipo_cella::segnale) continue;
      if (libera(m - 1)) {
        metti(m - 1);
      } else if (libera(m - 2)) {
        metti(m - 2);
      } else if (codice(m - 1)) {
        abbassa(m - 1);
      } else if (codice(m - 2)) {
        abbassa(m - 2);
      }
    }
  }

  void regola_b(int32_t i) {
    gruppo(i, 7, 5);
    gruppo(i, 13, 11);
    gruppo(i, 20, 18);
    int32_t k = i;
    if (c_[static_cast<size_t>(i)].valore_1 < 110) {
      int32_t n = 0;
      do {
        ++k;
        ++n;
        if (n == 8) {
          if (libera(k)) {
            metti(k);
            n = 0;
          } else if (libera(k - 1)) {
            metti(k - 1);
            n = 1;
          } else if (k + 1 <= u_ && libera(k + 1)) {
            metti(k + 1);
            n = -1;
          }
        }
      } while (tipo(k) != tipo_cella::fine_rallentamento && k < u_);
    } else {
      do {
        ++k;
      } while (tipo(k) != tipo_cella::fine_rallentamento && k < u_);
    }
    int32_t s = 0;
    const int32_t limite = k + 12 < u_ ? k + 12 : u_;
    for (int32_t q = k; q <= limite; ++q) {
      if (tipo(q) == tipo_cella::segnale) {
        s = q - 1;
        break;
      }
    }
    if (s <= 0) return;
    if (libera(s)) {
      metti(s);
    } else if (libera(s - 1)) {
      metti(s - 1);
    }
  }

  void gruppo(int32_t i, int32_t ultimo, int32_t primo) {
    if (i <= ultimo) return;
    for (int32_t c = i - primo; c >= i - ultimo; --c) {
      if (libera(c)) {
        metti(c);
        return;
      }
    }
  }

  const std::vector<Cella>& c_;
  Note& note_;
  const int32_t u_;
  std::vector<Stato> stato_;
};

}  // namespace

std::vector<bool> codici_del_passo(const Dati& d, Note& note) { return PassoInverso(d.celle, note).esegui(); }

}  // namespace sc::decompila
