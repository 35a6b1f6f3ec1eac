#include "compiler/cell_pass.h"
#include "compiler/fault_codes.h"

#include <algorithm>
#include <initializer_list>
#include <vector>
#include <string>

namespace sc {
namespace {

class Passo {
 public:
  Passo(Percorso& p, FaultLog& log) : p_(p), log_(log), u_(p.ultima_cella()) {}

  void esegui() {
    for (int32_t i = 1; i <= u_ - 2; ++i) {
      const uint8_t t = cella(i).tipo;
      if (t == tipo_cella::avviso_rallentamento) segnali_prima_dell_avviso(i);
      if (t == tipo_cella::inizio_rallentamento) inizio_rallentamento(i);
    }
  }

 private:
  Cella& cella(int32_t c) { return p_.celle.at(static_cast<size_t>(c)); }
  bool libera(int32_t c) { return cella_libera(cella(c)); }
  bool codice(int32_t c) { return cella(c).tipo == tipo_cella::codice; }

  void metti_codice(int32_t c) {
    Cella& x = cella(c);
    x.tipo = tipo_cella::codice;
    x.valore_1 = velocita_codice_passo;
  }

  void abbassa_codice(int32_t c) {
    Cella& x = cella(c);
    x.valore_1 = static_cast<int16_t>(minimo(velocita_codice_passo, x.valore_1));
  }

  // A fault at cell c. It stands at the entry that placed the first of
  // `celle`, and points to the entries behind the others.
  void errore(int32_t codice, int32_t c, std::string message, std::initializer_list<int32_t> celle) {
    Fault f{codice, c * 50, std::nullopt, std::move(message)};
    std::vector<const OriginiCelle::Voce*> viste;
    for (const int32_t x : celle) {
      const OriginiCelle::Voce* o = log_.origini.di(x);
      if (!o || std::find(viste.begin(), viste.end(), o) != viste.end()) continue;
      viste.push_back(o);
      if (!f.where) {
        f.where = o->where;
      } else {
        f.richiami.push_back({o->where, "the " + o->cosa + " involved, placed here"});
      }
    }
    registra(p_, log_, std::move(f));
  }

  // Rule A: cell i holds a restriction warning board.
  void segnali_prima_dell_avviso(int32_t i) {
    for (int32_t k = 1; k <= 20; ++k) {
      const int32_t m = i - k;
      if (m < 3) return;
      if (cella(m).tipo != tipo_cella::segnale) continue;
      if (libera(m - 1)) {
        metti_codice(m - 1);
      } else if (libera(m - 2)) {
        metti_codice(m - 2);
      } else if (codice(m - 1)) {
        abbassa_codice(m - 1);
      } else if (codice(m - 2)) {
        abbassa_codice(m - 2);
      } else {
        errore(fault_code::no_room_before_signal, m, "no room for a cab-code cell before the signal at " + std::to_string(m * 50) +
                          " m, which stands within 1000 m before a restriction's warning board",
               {m, i, m - 1, m - 2});
      }
    }
  }

  // Rule B: cell i holds a restriction start.
  void inizio_rallentamento(int32_t i) {
    gruppo_di_approccio(i, 7, 5, "250 to 350 m");
    gruppo_di_approccio(i, 13, 11, "550 to 650 m");
    gruppo_di_approccio(i, 20, 18, "900 to 1000 m");
    const int32_t fine = cella(i).valore_1 < 110 ? codici_nel_rallentamento(i) : cella_di_fine(i);
    segnale_dopo_la_fine(fine, i);
  }

  // B1: one code cell in the first free cell of i - primo, i - primo - 1,
  // i - primo - 2, when i > ultimo.
  void gruppo_di_approccio(int32_t i, int32_t ultimo, int32_t primo, const char* distanza) {
    if (i <= ultimo) return;
    for (int32_t c = i - primo; c >= i - ultimo; --c) {
      if (libera(c)) {
        metti_codice(c);
        return;
      }
    }
    errore(fault_code::no_room_before_restriction, i, std::string("no free cell for the approach cab-code cell ") + distanza +
                      " before the restriction start",
           {i, i - primo, i - primo - 1, i - ultimo});
  }

  // B2: a code cell every 8 cells inside a slow restriction. Returns the
  // cell the walk stopped on: the end cell, or U when none comes first.
  int32_t codici_nel_rallentamento(int32_t i) {
    int32_t n = 0;
    int32_t k = i;
    do {
      ++k;
      ++n;
      if (n == 8) {
        if (libera(k)) {
          metti_codice(k);
          n = 0;
        } else if (libera(k - 1)) {
          metti_codice(k - 1);
          n = 1;
        } else if (k + 1 <= u_ && libera(k + 1)) {
          metti_codice(k + 1);
          n = -1;
        } else {
          errore(fault_code::no_room_in_restriction, k, "no free cell for the cab-code cell due inside the restriction", {i, k - 1, k, k + 1});
        }
      }
    } while (cella(k).tipo != tipo_cella::fine_rallentamento && k < u_);
    return k;
  }

  // The restriction's own end cell: the first cell of type 2 after the
  // start cell i, or U when none comes first.
  int32_t cella_di_fine(int32_t i) {
    int32_t k = i;
    do {
      ++k;
    } while (cella(k).tipo != tipo_cella::fine_rallentamento && k < u_);
    return k;
  }

  // B3: a code cell before the first signal in cells k to k + 12.
  void segnale_dopo_la_fine(int32_t k, int32_t i) {
    int32_t s = 0;
    const int32_t limite = k + 12 < u_ ? k + 12 : u_;
    for (int32_t q = k; q <= limite; ++q) {
      if (cella(q).tipo == tipo_cella::segnale) {
        s = q - 1;
        break;
      }
    }
    if (s <= 0) return;
    if (libera(s)) {
      metti_codice(s);
    } else if (libera(s - 1)) {
      metti_codice(s - 1);
    } else {
      errore(fault_code::no_room_in_restriction, k, "no room for a cab-code cell before the first signal after the restriction end",
             {s + 1, i, s, s - 1});
    }
  }

  Percorso& p_;
  FaultLog& log_;
  const int32_t u_;
};

}  // namespace

void passo_celle(Percorso& p, FaultLog& log) { Passo(p, log).esegui(); }

}  // namespace sc
