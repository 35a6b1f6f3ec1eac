// Round trip over generated scenarios: random descriptions that compile
// without a fault are compiled, decompiled and compiled again, and every
// compiled file must come back byte for byte.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "decompile/decompila.h"
#include "decompile/verifica.h"
#include "model/percorso.h"
#include "model/printf_string.h"

namespace sc::decompila {
namespace {

// Descriptions of one scenario, built entry by entry with the cells each
// placement takes, so that no entry lands on a taken cell.
class Generatore {
 public:
  explicit Generatore(uint32_t seme) : r_(seme) {}

  void genera() {
    lunghezza_ = 50 * tra(200, 600) + (uno_su(4) ? tra(1, 49) : 0);
    u_ = ultima_cella_per(lunghezza_);
    presa_.assign(static_cast<size_t>(u_) + 1, false);
    linea_ = "[generale]\r\n";
    linea_ += printf_string("lunghezza percorso,    %d\r\n", lunghezza_);
    const char* nomi[] = {"uno", "due", "tre"};
    for (const char* n : nomi) {
      linea_ += printf_string("progressiva chilometrica %s,    %d,    %d,    %d\r\n", n, uno_su(2) ? 0 : 50 * tra(0, 400),
                    50 * tra(0, 400), tra(0, 2));
    }
    linea_ += printf_string("sfondo uno,    %d\r\nsfondo due,    %d\r\nsfondo tre,    %d\r\n", tra(0, 5), tra(0, 5), tra(0, 9000));
    linea_ += printf_string("ripetizione segnali %d codici,    %d,    %d\r\n", uno_su(2) ? 4 : 9, 50 * tra(0, 100),
                  uno_su(5) ? 0 : 50 * tra(1, 2000));
    curve();
    profilo_linea();
    montagne();
    cartelli();
    linea_ += "[fine]\r\n";

    treno_ = "[generale]\r\n";
    treno_ += printf_string("numero vetture,    %d\r\npercentuale massa frenata,    %d\r\nsabbia,    %d\r\n", tra(1, 20),
                  tra(50, 200), tra(0, 999));
    treno_ += printf_string("orologio,    %d              %d            %d \r\n", tra(0, 23), tra(0, 59), tra(0, 59));
    profili_treno();
    stazioni();
    rallentamenti();
    segnali();
    codici();
    treno_ += "[fine]\r\n";
  }

  const std::string& linea() const { return linea_; }
  const std::string& treno() const { return treno_; }

 private:
  int tra(int a, int b) { return std::uniform_int_distribution<int>(a, b)(r_); }
  bool uno_su(int n) { return tra(1, n) == 1; }
  int ultima_posizione() const { return 50 * (u_ - 2); }

  bool libera(int c) const { return c >= 0 && c <= u_ && !presa_[static_cast<size_t>(c)]; }
  void prendi(int c) { presa_.at(static_cast<size_t>(c)) = true; }

  void curve() {
    linea_ += "[curve]\r\n";
    int pos = tra(2, 2000);
    while (true) {
      const int l = tra(50, 3000);
      if (pos + l > lunghezza_) break;
      const int classe = tra(1, 6);
      linea_ += printf_string("curva%c%d,  %d,  %d\r\n", uno_su(2) ? 's' : 'd', classe, pos, l);
      pos += l + (uno_su(4) ? 0 : tra(1, 4000));
    }
  }

  // Gradient entries, some off the 50 m grid.
  void profilo_linea() {
    linea_ += "[pendenze]\r\n";
    int pos = 0;
    while (pos <= ultima_posizione()) {
      linea_ += printf_string("pendenza,  %d,   %d\r\n", pos, tra(-30, 30));
      pos += 50 * tra(1, 80) + (uno_su(5) ? 25 : 0);
    }
  }

  void montagne() {
    linea_ += "[montagne]\r\n";
    int c = tra(0, 100);
    while (true) {
      const int n = tra(1, 60);
      if (c + n > u_ - 150) break;
      const int tipo = tra(1, 3) + (uno_su(3) ? 0 : 10);
      linea_ += printf_string("montagna,   %d,  %d,  %d\r\n", 50 * c, 50 * (c + n), tipo);
      // Some stretches follow within 150 m (kind 3), some back to back.
      c += n + (uno_su(3) ? tra(0, 3) : tra(4, 200));
    }
  }

  int velocita() { return 5 * tra(6, 60); }

  void cartelli() {
    linea_ += "[cartelli]\r\n";
    for (int i = tra(0, 8); i > 0; --i) {
      const int c = tra(1, u_ - 1);
      if (!libera(c)) continue;
      prendi(c);
      linea_ += printf_string("indicatori_vmax,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d\r\n", 50 * (c - 1), velocita(),
                    velocita(), velocita(), tra(0, 3), velocita(), velocita(), velocita(), tra(0, 3));
    }
    linea_ += "[indicazioni]\r\n";
    for (int i = tra(0, 12); i > 0; --i) {
      const int c = tra(1, u_ - 1);
      if (!libera(c)) continue;
      prendi(c);
      ++cartelli_;
      linea_ += printf_string("cartello_indicatore,  %d,   (GALLERIA %c%d)( Km. %d.%03d   )\r\n", 50 * (c - 1), 'A' + tra(0, 25),
                    tra(0, 99), tra(0, 99), tra(0, 999));
    }
  }

  void profili_treno() {
    treno_ += "[aderenze]\r\n";
    for (int pos = 0; pos <= ultima_posizione(); pos += 50 * tra(20, 400)) {
      treno_ += printf_string("aderenza,   %d,    %d\r\n", pos, tra(0, 255));
    }
    treno_ += "[vel_limite]\r\n";
    for (int pos = 0; pos <= ultima_posizione(); pos += 50 * tra(10, 200)) {
      treno_ += printf_string("velocita,    %d,   %d\r\n", pos, velocita());
    }
  }

  // Stations of every type, 350 m or more apart, each stop cell free.
  void stazioni() {
    treno_ += "[stazioni]\r\n";
    static const int tipi[] = {5, 6, 7, 8, 1, 12, 20, 24, 25, 30};
    int fine_prima = -1000000;
    int k = 1;
    for (int pos = 50 * tra(10, 60); pos + 2000 < lunghezza_ && k < 78 - cartelli_; pos += 50 * tra(40, 200)) {
      const int tipo = tipi[tra(0, 9)];
      const int l = 100 * tra(1, 10);
      const int d6 = uno_su(2) ? tra(1, 3) : 0;
      int inizio, fine;
      if (tipo == 5 || tipo == 6) {
        inizio = pos - l, fine = pos + 150;
      } else if (tipo == 7 || tipo == 8) {
        inizio = pos - l, fine = pos + l;
      } else {
        inizio = pos - l / 2, fine = pos + l / 2 + (d6 != 0 ? 50 : 0);
      }
      const int fermata = fine / 50 - 1;
      if (inizio - 350 < fine_prima || (tipo < 25 && (fermata <= 1 || !libera(fermata)))) continue;
      if (tipo < 25) prendi(fermata);
      fine_prima = fine;
      ++k;
      const int orario = tra(0, 86399);
      treno_ += printf_string("stazione, %7d, %2d, %4d, %2d, %d, %d,  %d,%d,%d,  %d,%d,%d, %4d, %3d,%2d, %d, STAZIONE %c%d\r\n", pos,
                    tipo, l, tra(0, 255), tra(0, 255), d6, tra(-100, 300), tra(0, 9), tra(0, 255), tra(0, 9), tra(0, 9),
                    tra(0, 9), tra(0, 255), orario / 3600, orario / 60 % 60, orario % 60, 'A' + tra(0, 25), k);
    }
  }

  // Restrictions at 60 to 300 km/h, far enough apart for the cab-code
  // cells of the consistency pass.
  void rallentamenti() {
    treno_ += "[rallentamenti]\r\n";
    for (int s = tra(10, 80); s + 60 < u_ - 150; s += tra(60, 200)) {
      const int l = 50 * tra(1, 60);
      const int e = s + l / 50;
      const int x = 50 * (s - 1);
      const bool avviso = x > 1500;
      const int f_ta = avviso && uno_su(2) ? 1 : 0;
      std::vector<int> celle{s, e};
      if (avviso) celle.push_back(s - 24);
      for (int j = 1; f_ta && j <= 4; ++j) celle.push_back(s - 24 - j);
      bool ok = true;
      for (int c : celle) ok = ok && libera(c);
      if (!ok) continue;
      for (int c : celle) prendi(c);
      treno_ += printf_string("rallentamento,   %d,   %d,   %d,   %d, %d, %d\r\n", x, 5 * tra(12, 60), l, tra(0, 2), f_ta,
                    uno_su(2) ? 0 : tra(1, 3));
    }
  }

  void segnali() {
    treno_ += "[segnali]\r\n";
    static const int tempi[] = {0, 0, 50, 101, 200};
    for (int c = tra(8, 40); c < u_ - 150; c += tra(20, 80)) {
      if (!libera(c)) continue;
      prendi(c);
      treno_ += printf_string("segnale, %7d,   %d, %d, %d,  %d, %d,    %d,  %d,%d,%d, %d\r\n", 50 * (c - 1), tra(0, 2), tra(0, 9),
                    tra(0, 9), tra(0, 9), tra(0, 9), tra(0, 2), tra(0, 9), tra(0, 9), tra(0, 9), tempi[tra(0, 4)]);
    }
  }

  void codici() {
    treno_ += "[codici]\r\n";
    static const int valori[] = {0, 100, 180, 280};
    for (int i = tra(0, 4); i > 0; --i) {
      const int c = tra(2, u_ - 150);
      if (!libera(c)) continue;
      prendi(c);
      treno_ += printf_string("abbattimento, %7d,   %d\r\n", 50 * c, valori[tra(0, 3)]);
    }
  }

  std::mt19937 r_;
  int lunghezza_ = 0;
  int u_ = 0;
  int cartelli_ = 0;
  std::vector<bool> presa_;
  std::string linea_, treno_;
};

TEST(DecompilaGenerati, EveryScenarioComesBackByteForByte) {
  // Under the sanitizers every compile costs some 25 times more: a tenth
  // of the seeds there.
#if defined(__SANITIZE_ADDRESS__)
  constexpr uint32_t semi = 30;
#else
  constexpr uint32_t semi = 300;
#endif
  int provati = 0;
  for (uint32_t seme = 1; seme <= semi; ++seme) {
    // A variant of the seed until the scenario compiles without a fault.
    Compilati c;
    Generatore g(seme);
    for (uint32_t variante = 0; variante < 20; ++variante) {
      g = Generatore(seme * 100 + variante);
      g.genera();
      c = compila_in_memoria(g.linea(), g.treno(), "Linea Prova", std::to_string(seme), seme % 10 != 0);
      if (c.scritti && c.faults.empty()) break;
    }
    ASSERT_TRUE(c.scritti && c.faults.empty()) << "seed " << seme << ": " << (c.faults.empty() ? "" : c.faults[0]);
    ++provati;
    const Decompilazione d = decompila({c.celle, c.elementi, c.tracciato});
    std::string note;
    for (const std::string& s : d.inspiegati) note += s + "\n";
    ASSERT_TRUE(d.identico() && d.inspiegati.empty())
        << "seed " << seme << ": " << d.differenza.value_or("") << "\n"
        << note << "--- line\n"
        << g.linea() << "--- train\n"
        << g.treno() << "--- decompiled line\n"
        << d.linea << "--- decompiled train\n"
        << d.treno;
  }
  EXPECT_EQ(provati, static_cast<int>(semi));
}

}  // namespace
}  // namespace sc::decompila
