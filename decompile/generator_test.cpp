// Round trip over generated scenarios: random descriptions that compile
// without a fault are compiled, decompiled and compiled again, and every
// compiled file must come back byte for byte.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "decompile/author_generator.h"
#include "decompile/decompile.h"
#include "decompile/verify.h"
#include "model/percorso.h"
#include "model/printf_string.h"

namespace sc::decompile {
namespace {

// Descriptions of one scenario, built entry by entry with the cells each
// placement takes, so that no entry lands on a taken cell.
class Generator {
 public:
  explicit Generator(uint32_t seed) : r_(seed) {}

  void generate() {
    length_ = 50 * between(200, 600) + (one_in(4) ? between(1, 49) : 0);
    u_ = last_cell_for(length_);
    taken_.assign(static_cast<size_t>(u_) + 1, false);
    linea_ = "[generale]\r\n";
    linea_ += printf_string("lunghezza percorso,    %d\r\n", length_);
    const char* names[] = {"uno", "due", "tre"};
    for (const char* n : names) {
      linea_ +=
          printf_string("progressiva chilometrica %s,    %d,    %d,    %d\r\n", n,
                        one_in(2) ? 0 : 50 * between(0, 400), 50 * between(0, 400), between(0, 2));
    }
    linea_ += printf_string("sfondo uno,    %d\r\nsfondo due,    %d\r\nsfondo tre,    %d\r\n",
                            between(0, 5), between(0, 5), between(0, 9000));
    linea_ += printf_string("ripetizione segnali %d codici,    %d,    %d\r\n", one_in(2) ? 4 : 9,
                            50 * between(0, 100), one_in(5) ? 0 : 50 * between(1, 2000));
    curve();
    linea_profile();
    montagne();
    cartelli();
    linea_ += "[fine]\r\n";

    treno_ = "[generale]\r\n";
    treno_ += printf_string(
        "numero vetture,    %d\r\npercentuale massa frenata,    %d\r\nsabbia,    %d\r\n",
        between(1, 20), between(50, 200), between(0, 999));
    treno_ += printf_string("orologio,    %d              %d            %d \r\n", between(0, 23),
                            between(0, 59), between(0, 59));
    treno_profiles();
    stazioni();
    rallentamenti();
    segnali();
    codes();
    treno_ += "[fine]\r\n";
  }

  const std::string& linea() const { return linea_; }
  const std::string& treno() const { return treno_; }

 private:
  int between(int a, int b) { return std::uniform_int_distribution<int>(a, b)(r_); }
  bool one_in(int n) { return between(1, n) == 1; }
  int last_position() const { return 50 * (u_ - 2); }

  bool free(int c) const { return c >= 0 && c <= u_ && !taken_[static_cast<size_t>(c)]; }
  void take(int c) { taken_.at(static_cast<size_t>(c)) = true; }

  void curve() {
    linea_ += "[curve]\r\n";
    int pos = between(2, 2000);
    while (true) {
      const int l = between(50, 3000);
      if (pos + l > length_) break;
      const int curve_class = between(1, 6);
      linea_ +=
          printf_string("curva%c%d,  %d,  %d\r\n", one_in(2) ? 's' : 'd', curve_class, pos, l);
      pos += l + (one_in(4) ? 0 : between(1, 4000));
    }
  }

  // Gradient entries, some off the 50 m grid.
  void linea_profile() {
    linea_ += "[pendenze]\r\n";
    int pos = 0;
    while (pos <= last_position()) {
      linea_ += printf_string("pendenza,  %d,   %d\r\n", pos, between(-30, 30));
      pos += 50 * between(1, 80) + (one_in(5) ? 25 : 0);
    }
  }

  void montagne() {
    linea_ += "[montagne]\r\n";
    int c = between(0, 100);
    while (true) {
      const int n = between(1, 60);
      if (c + n > u_ - 150) break;
      const int tipo = between(1, 3) + (one_in(3) ? 0 : 10);
      linea_ += printf_string("montagna,   %d,  %d,  %d\r\n", 50 * c, 50 * (c + n), tipo);
      // Some stretches follow within 150 m (kind 3), some back to back.
      c += n + (one_in(3) ? between(0, 3) : between(4, 200));
    }
  }

  int velocita() { return 5 * between(6, 60); }

  void cartelli() {
    linea_ += "[cartelli]\r\n";
    for (int i = between(0, 8); i > 0; --i) {
      const int c = between(1, u_ - 1);
      if (!free(c)) continue;
      take(c);
      linea_ += printf_string("indicatori_vmax,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d\r\n",
                              50 * (c - 1), velocita(), velocita(), velocita(), between(0, 3),
                              velocita(), velocita(), velocita(), between(0, 3));
    }
    linea_ += "[indicazioni]\r\n";
    for (int i = between(0, 12); i > 0; --i) {
      const int c = between(1, u_ - 1);
      if (!free(c)) continue;
      take(c);
      ++cartelli_;
      linea_ += printf_string("cartello_indicatore,  %d,   (GALLERIA %c%d)( Km. %d.%03d   )\r\n",
                              50 * (c - 1), 'A' + between(0, 25), between(0, 99), between(0, 99),
                              between(0, 999));
    }
  }

  void treno_profiles() {
    treno_ += "[aderenze]\r\n";
    for (int pos = 0; pos <= last_position(); pos += 50 * between(20, 400)) {
      treno_ += printf_string("aderenza,   %d,    %d\r\n", pos, between(0, 255));
    }
    treno_ += "[vel_limite]\r\n";
    for (int pos = 0; pos <= last_position(); pos += 50 * between(10, 200)) {
      treno_ += printf_string("velocita,    %d,   %d\r\n", pos, velocita());
    }
  }

  // Stations of every type, 350 m or more apart, each stop cell free.
  void stazioni() {
    treno_ += "[stazioni]\r\n";
    static const int types[] = {5, 6, 7, 8, 1, 12, 20, 24, 25, 30};
    int end_before = -1000000;
    int k = 1;
    for (int pos = 50 * between(10, 60); pos + 2000 < length_ && k < 78 - cartelli_;
         pos += 50 * between(40, 200)) {
      const int tipo = types[between(0, 9)];
      const int l = 100 * between(1, 10);
      const int d6 = one_in(2) ? between(1, 3) : 0;
      const auto [inizio, fine] = station_extent(tipo, pos, l, d6);
      const int fermata = fine / 50 - 1;
      if (inizio - 350 < end_before || (tipo < 25 && (fermata <= 1 || !free(fermata)))) continue;
      if (tipo < 25) take(fermata);
      end_before = fine;
      ++k;
      const int orario = between(0, 86399);
      treno_ += printf_string(
          "stazione, %7d, %2d, %4d, %2d, %d, %d,  %d,%d,%d,  %d,%d,%d, %4d, %3d,%2d, %d, STAZIONE "
          "%c%d\r\n",
          pos, tipo, l, between(0, 255), between(0, 255), d6, between(-100, 300), between(0, 9),
          between(0, 255), between(0, 9), between(0, 9), between(0, 9), between(0, 255),
          orario / 3600, orario / 60 % 60, orario % 60, 'A' + between(0, 25), k);
    }
  }

  // Restrictions at 60 to 300 km/h, far enough apart for the cab-code
  // cells of the consistency pass.
  void rallentamenti() {
    treno_ += "[rallentamenti]\r\n";
    for (int s = between(10, 80); s + 60 < u_ - 150; s += between(60, 200)) {
      const int l = 50 * between(1, 60);
      const int e = s + l / 50;
      const int x = 50 * (s - 1);
      const bool avviso = x > 1500;
      const int f_ta = avviso && one_in(2) ? 1 : 0;
      const std::vector<int> celle = restriction_cells(s, e, avviso, f_ta != 0);
      bool ok = true;
      for (int c : celle) ok = ok && free(c);
      if (!ok) continue;
      for (int c : celle) take(c);
      treno_ +=
          printf_string("rallentamento,   %d,   %d,   %d,   %d, %d, %d\r\n", x, 5 * between(12, 60),
                        l, between(0, 2), f_ta, one_in(2) ? 0 : between(1, 3));
    }
  }

  void segnali() {
    treno_ += "[segnali]\r\n";
    static const int times[] = {0, 0, 50, 101, 200};
    for (int c = between(8, 40); c < u_ - 150; c += between(20, 80)) {
      if (!free(c)) continue;
      take(c);
      treno_ += printf_string("segnale, %7d,   %d, %d, %d,  %d, %d,    %d,  %d,%d,%d, %d\r\n",
                              50 * (c - 1), between(0, 2), between(0, 9), between(0, 9),
                              between(0, 9), between(0, 9), between(0, 2), between(0, 9),
                              between(0, 9), between(0, 9), times[between(0, 4)]);
    }
  }

  void codes() {
    treno_ += "[codici]\r\n";
    static const int values[] = {0, 100, 180, 280};
    for (int i = between(0, 4); i > 0; --i) {
      const int c = between(2, u_ - 150);
      if (!free(c)) continue;
      take(c);
      treno_ += printf_string("abbattimento, %7d,   %d\r\n", 50 * c, values[between(0, 3)]);
    }
  }

  std::mt19937 r_;
  int length_ = 0;
  int u_ = 0;
  int cartelli_ = 0;
  std::vector<bool> taken_;
  std::string linea_, treno_;
};

TEST(DecompileGenerated, EveryScenarioComesBackByteForByte) {
  // Under the sanitizers every compile costs some 25 times more: a tenth
  // of the seeds there.
#if defined(__SANITIZE_ADDRESS__)
  constexpr uint32_t semi = 30;
#else
  constexpr uint32_t semi = 300;
#endif
  int tried = 0;
  for (uint32_t seed = 1; seed <= semi; ++seed) {
    // A variant of the seed until the scenario compiles without a fault.
    Compiled c;
    Generator g(seed);
    for (uint32_t variant = 0; variant < 20; ++variant) {
      g = Generator(seed * 100 + variant);
      g.generate();
      c = compile_in_memory(g.linea(), g.treno(), "Linea Prova", std::to_string(seed),
                            seed % 10 != 0);
      if (c.written && c.faults.empty()) break;
    }
    ASSERT_TRUE(c.written && c.faults.empty())
        << "seed " << seed << ": " << (c.faults.empty() ? "" : c.faults[0]);
    ++tried;
    const Decompilation d = decompile({c.celle, c.elementi, c.tracciato});
    std::string note;
    for (const std::string& s : d.unexplained) note += s + "\n";
    ASSERT_TRUE(d.identical() && d.unexplained.empty())
        << "seed " << seed << ": " << d.difference.value_or("") << "\n"
        << note << "--- line\n"
        << g.linea() << "--- train\n"
        << g.treno() << "--- decompiled line\n"
        << d.linea << "--- decompiled train\n"
        << d.treno;
  }
  EXPECT_EQ(tried, static_cast<int>(semi));
}

}  // namespace
}  // namespace sc::decompile
