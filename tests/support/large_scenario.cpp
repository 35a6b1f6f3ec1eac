#include "tests/support/large_scenario.h"
#include "model/printf_string.h"

#include <algorithm>
#include <cstdarg>
#include <stdexcept>
#include <vector>

namespace sc::test {
namespace {

constexpr int32_t cartelli = 8;                  // indication boards
constexpr int32_t max_stazioni = 78 - cartelli;  // records 1 .. 79 - boards
constexpr int32_t segnali_step = 1500;
constexpr int32_t rallentamenti_step = 20000;
constexpr int32_t curve_step = 2000;
constexpr int32_t montagne = 80;
constexpr int32_t max_cursor = 1000000;  // the plan cursor may not pass it

// One line of a description, CR LF ended.
void riga(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void riga(std::string& out, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  out += vprintf_string(fmt, ap);
  va_end(ap);
  out += "\r\n";
}

int32_t a_50(int64_t v) { return static_cast<int32_t>((v + 25) / 50 * 50); }

// Which cells the generated elements use, so that no two of them meet:
// 0 free, 1 taken by an element or kept for a cab-code cell of the pass.
class Occupancy {
 public:
  explicit Occupancy(int32_t last) : usage_(static_cast<size_t>(last) + 1, 0) {}

  bool free(const std::vector<int32_t>& celle) const {
    for (int32_t c : celle) {
      if (c < 0 || c >= static_cast<int32_t>(usage_.size()) || usage_[static_cast<size_t>(c)] != 0)
        return false;
    }
    return true;
  }
  void take(const std::vector<int32_t>& celle) {
    for (int32_t c : celle) usage_.at(static_cast<size_t>(c)) = 1;
  }

 private:
  std::vector<char> usage_;
};

// The cells a restriction starting in cell s uses, with the cells the pass
// may give cab codes: approach cells, warning, the three approach groups,
// start, the code cells inside (every 8 cells, with their neighbours) and
// the end.
std::vector<int32_t> celle_rallentamento(int32_t s, int32_t lunghezza) {
  const int32_t e = s + lunghezza / 50;
  std::vector<int32_t> c;
  for (int32_t o = 28; o >= 24; --o) c.push_back(s - o);  // approach q-3 .. q, warning
  for (int32_t o : {20, 19, 18, 13, 12, 11, 7, 6, 5}) c.push_back(s - o);
  c.push_back(s);
  for (int32_t j = 8; s + j < e; j += 8) {
    c.push_back(s + j - 1);
    c.push_back(s + j);
    c.push_back(s + j + 1);
  }
  c.push_back(e);
  return c;
}

// Positions tried around a wanted one: p, p + 50, p - 50, p + 100 ...
int32_t near(int32_t p, int i) { return p + 50 * ((i + 1) / 2) * (i % 2 == 1 ? 1 : -1); }

}  // namespace

std::vector<GeneratedCurva> curve_generate(int32_t lunghezza) {
  std::vector<GeneratedCurva> curve;
  const int32_t fine = std::min(lunghezza - 1000, max_cursor - 1);
  for (int32_t n = 0;; ++n) {
    const int32_t s = n * curve_step + 1000;
    const int32_t len = curve_step / 2;
    if (s + len > fine) break;
    std::string key = n % 2 == 0 ? "curvad" : "curvas";
    key += static_cast<char>('1' + (n / 2) % 3);
    curve.push_back({std::move(key), s, len});
  }
  return curve;
}

GeneratedScenario generate_scenario(int32_t lunghezza, int32_t extra_stations) {
  if (lunghezza < 50000 || lunghezza > 1000000 || lunghezza % 50 != 0) {
    throw std::invalid_argument("line length must be a multiple of 50 from 50000 to 1000000");
  }
  GeneratedScenario g;
  const int32_t last = (lunghezza + 7000) / 50;  // U
  Occupancy occ(last);

  // Signals first: cell p/50 + 1, with the two cells before it kept free for
  // the cab-code cell of the pass.
  std::vector<int32_t>& segnali = g.segnali;
  for (int32_t p = segnali_step; p <= lunghezza; p += segnali_step) {
    const int32_t m = p / 50 + 1;
    occ.take({m, m - 1, m - 2});
    segnali.push_back(p);
  }

  // Restrictions, moved by whole cells until they meet no signal.
  std::vector<int32_t>& rallentamenti = g.rallentamenti;
  for (int32_t x0 = rallentamenti_step / 2; x0 + rallentamento_length + 1000 <= lunghezza;
       x0 += rallentamenti_step) {
    bool placed = false;
    for (int i = 0; i < 120 && !placed; ++i) {
      const int32_t x = near(x0, i);
      const std::vector<int32_t> celle = celle_rallentamento(x / 50 + 1, rallentamento_length);
      if (!occ.free(celle)) continue;
      occ.take(celle);
      rallentamenti.push_back(x);
      placed = true;
    }
    if (!placed)
      throw std::invalid_argument("no room for a restriction near " + std::to_string(x0));
  }

  // Stations: the first at 0 (type 8, 700 m), centred ones of 400 m spread
  // along the line, the last (type 6, 800 m) in the tail after the line end.
  // At least 1000 m apart so that 350 m stay between their extents.
  std::vector<GeneratedStazione>& stazioni = g.stazioni;
  const int32_t how_many = std::min<int32_t>(max_stazioni, lunghezza / 1000) + extra_stations;
  int32_t end_before = INT32_MIN / 2;
  for (int32_t k = 1; k <= how_many; ++k) {
    GeneratedStazione st{0, 12, 400};
    if (k == 1) st = {0, 8, 700};
    if (k == how_many) st = {lunghezza + 1700, 6, 800};
    const int32_t p0 =
        k == 1 || k == how_many ? st.p : a_50(int64_t{k - 1} * lunghezza / (how_many - 1));
    bool placed = false;
    for (int i = 0; i < 40 && !placed; ++i) {
      const int32_t p = k == 1 ? p0 : near(p0, i);
      const int32_t inizio = st.tipo == 12 ? p - st.l / 2 : p - st.l;
      const int32_t fine = st.tipo == 12 ? p + st.l / 2 : st.tipo == 6 ? p + 150 : p + st.l;
      const int32_t fermata = fine / 50 - 1;
      if (inizio - 350 < end_before || !occ.free({fermata})) continue;
      occ.take({fermata});
      stazioni.push_back({p, st.tipo, st.l, fermata});
      end_before = fine;
      placed = true;
    }
    if (!placed) throw std::invalid_argument("no room for station " + std::to_string(k));
  }

  // Tunnels: 80 stretches, each over half of its 1/80 of the line; kinds 1
  // and 2 with markers, every third one kind 2 without.
  std::vector<GeneratedMontagna>& tunnels = g.tunnels;
  const int32_t montagne_step = lunghezza / montagne;
  for (int32_t n = 0; n < montagne; ++n) {
    const int32_t inizio = a_50(int64_t{n} * montagne_step + montagne_step / 4);
    const int32_t fine = a_50(int64_t{inizio} + montagne_step / 2);
    tunnels.push_back({inizio, fine, n % 3 == 2 ? 2 : 11 + n % 2});
  }

  // Indication boards before every tenth tunnel, on a free cell.
  std::vector<int32_t>& tables = g.cartelli;
  for (int32_t n = 0; n < cartelli; ++n) {
    const int32_t p0 =
        a_50(tunnels.at(static_cast<size_t>(n * (montagne / cartelli))).inizio + 100);
    bool placed = false;
    for (int i = 0; i < 40 && !placed; ++i) {
      const int32_t p = near(p0, i);
      const int32_t c = p / 50 + 1;
      if (!occ.free({c})) continue;
      occ.take({c});
      tables.push_back(p);
      placed = true;
    }
    if (!placed) throw std::invalid_argument("no room for board " + std::to_string(n));
  }

  // The line description.
  std::string& l = g.linea;
  riga(l, "[generale]");
  riga(l, "lunghezza percorso,    %d", lunghezza);
  riga(l, "progressiva chilometrica uno,    0,    0,    0");
  riga(l, "progressiva chilometrica due,    0,    0,    0");
  riga(l, "progressiva chilometrica tre,    0,    0,    0");
  riga(l, "sfondo uno,    0");
  riga(l, "sfondo due,    1");
  riga(l, "sfondo tre,    3000");
  riga(l, "ripetizione segnali 9 codici,    1000,    80000");
  riga(l, "[curve]");
  for (const GeneratedCurva& c : curve_generate(lunghezza)) {
    riga(l, "%s,  %d,  %d", c.key.c_str(), c.inizio, c.lunghezza);
    ++g.curve;
  }
  riga(l, "[pendenze]");
  for (int32_t n = 0; n * pendenze_step <= lunghezza - pendenze_step; ++n) {
    riga(l, "pendenza,  %d,   %d", n * pendenze_step, generated_pendenza(n));
  }
  riga(l, "[montagne]");
  for (const GeneratedMontagna& m : tunnels)
    riga(l, "montagna,   %d,  %d,  %d", m.inizio, m.fine, m.tipo);
  riga(l, "[cartelli]");
  riga(l, "[indicazioni]");
  for (size_t n = 0; n < tables.size(); ++n) {
    riga(l, "cartello_indicatore,  %d,   (GALLERIA    )(NUMERO %02zu  )(Km. %d    )", tables[n],
         n + 1, tables[n] / 1000);
  }
  riga(l, "[fine]");

  // The train description.
  std::string& t = g.treno;
  riga(t, "[generale]");
  riga(t, "numero vetture,    12");
  riga(t, "percentuale massa frenata,    130");
  riga(t, "sabbia,    300");
  riga(t, "orologio,    11              20            0 ");
  riga(t, "[aderenze]");
  riga(t, "aderenza,   0,    100");
  riga(t, "[vel_limite]");
  riga(t, "velocita,   0,    30");
  riga(t, "velocita,    1500,   250");
  riga(t, "[stazioni]");
  for (size_t k = 0; k < stazioni.size(); ++k) {
    const GeneratedStazione& st = stazioni[k];
    // Times at 200 km/h from 11:20:00.
    const int64_t seconds = 11 * 3600 + 20 * 60 + int64_t{st.p} * 18 / 1000;
    riga(t, "stazione,   %d, %d,  %d,  0, 0, 0,  1,1,0,  4,1,1,    1,  %d, %d, %d, STAZIONE %02zu",
         st.p, st.tipo, st.l, static_cast<int>(seconds / 3600 % 24),
         static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60), k + 1);
  }
  riga(t, "[rallentamenti]");
  for (int32_t x : rallentamenti) {
    riga(t, "rallentamento,   %d,   %d,   %d,   1,   1,   0", x, velocita_rallentamento,
         rallentamento_length);
  }
  riga(t, "[segnali]");
  for (int32_t p : segnali) riga(t, "segnale,    %d,   2, 4, 1,  1, 0,    2,  2,1,1, 0", p);
  riga(t, "[codici]");
  riga(t, "[fine]");

  return g;
}

}  // namespace sc::test
