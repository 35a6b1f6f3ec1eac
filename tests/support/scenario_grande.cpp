#include "tests/support/scenario_grande.h"
#include "model/printf_string.h"

#include <algorithm>
#include <cstdarg>
#include <stdexcept>
#include <vector>

namespace sc::test {
namespace {

constexpr int32_t cartelli = 8;                      // indication boards
constexpr int32_t stazioni_massime = 78 - cartelli;  // records 1 .. 79 - boards
constexpr int32_t passo_segnali = 1500;
constexpr int32_t passo_rallentamenti = 20000;
constexpr int32_t passo_curve = 2000;
constexpr int32_t montagne = 80;
constexpr int32_t cursore_massimo = 1000000;  // the plan cursor may not pass it

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
class Occupazione {
 public:
  explicit Occupazione(int32_t ultima) : uso_(static_cast<size_t>(ultima) + 1, 0) {}

  bool libere(const std::vector<int32_t>& celle) const {
    for (int32_t c : celle) {
      if (c < 0 || c >= static_cast<int32_t>(uso_.size()) || uso_[static_cast<size_t>(c)] != 0)
        return false;
    }
    return true;
  }
  void prendi(const std::vector<int32_t>& celle) {
    for (int32_t c : celle) uso_.at(static_cast<size_t>(c)) = 1;
  }

 private:
  std::vector<char> uso_;
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
int32_t vicino(int32_t p, int i) { return p + 50 * ((i + 1) / 2) * (i % 2 == 1 ? 1 : -1); }

}  // namespace

std::vector<CurvaGenerata> curve_generate(int32_t lunghezza) {
  std::vector<CurvaGenerata> curve;
  const int32_t fine = std::min(lunghezza - 1000, cursore_massimo - 1);
  for (int32_t n = 0;; ++n) {
    const int32_t s = n * passo_curve + 1000;
    const int32_t len = passo_curve / 2;
    if (s + len > fine) break;
    std::string chiave = n % 2 == 0 ? "curvad" : "curvas";
    chiave += static_cast<char>('1' + (n / 2) % 3);
    curve.push_back({std::move(chiave), s, len});
  }
  return curve;
}

ScenarioGenerato genera_scenario(int32_t lunghezza, int32_t stazioni_in_piu) {
  if (lunghezza < 50000 || lunghezza > 1000000 || lunghezza % 50 != 0) {
    throw std::invalid_argument("line length must be a multiple of 50 from 50000 to 1000000");
  }
  ScenarioGenerato g;
  const int32_t ultima = (lunghezza + 7000) / 50;  // U
  Occupazione occ(ultima);

  // Signals first: cell p/50 + 1, with the two cells before it kept free for
  // the cab-code cell of the pass.
  std::vector<int32_t>& segnali = g.segnali;
  for (int32_t p = passo_segnali; p <= lunghezza; p += passo_segnali) {
    const int32_t m = p / 50 + 1;
    occ.prendi({m, m - 1, m - 2});
    segnali.push_back(p);
  }

  // Restrictions, moved by whole cells until they meet no signal.
  std::vector<int32_t>& rallentamenti = g.rallentamenti;
  for (int32_t x0 = passo_rallentamenti / 2; x0 + lunghezza_rallentamento + 1000 <= lunghezza;
       x0 += passo_rallentamenti) {
    bool posto = false;
    for (int i = 0; i < 120 && !posto; ++i) {
      const int32_t x = vicino(x0, i);
      const std::vector<int32_t> celle = celle_rallentamento(x / 50 + 1, lunghezza_rallentamento);
      if (!occ.libere(celle)) continue;
      occ.prendi(celle);
      rallentamenti.push_back(x);
      posto = true;
    }
    if (!posto) throw std::invalid_argument("no room for a restriction near " + std::to_string(x0));
  }

  // Stations: the first at 0 (type 8, 700 m), centred ones of 400 m spread
  // along the line, the last (type 6, 800 m) in the tail after the line end.
  // At least 1000 m apart so that 350 m stay between their extents.
  std::vector<StazioneGenerata>& stazioni = g.stazioni;
  const int32_t quante = std::min<int32_t>(stazioni_massime, lunghezza / 1000) + stazioni_in_piu;
  int32_t fine_prima = INT32_MIN / 2;
  for (int32_t k = 1; k <= quante; ++k) {
    StazioneGenerata st{0, 12, 400};
    if (k == 1) st = {0, 8, 700};
    if (k == quante) st = {lunghezza + 1700, 6, 800};
    const int32_t p0 =
        k == 1 || k == quante ? st.p : a_50(int64_t{k - 1} * lunghezza / (quante - 1));
    bool posto = false;
    for (int i = 0; i < 40 && !posto; ++i) {
      const int32_t p = k == 1 ? p0 : vicino(p0, i);
      const int32_t inizio = st.tipo == 12 ? p - st.l / 2 : p - st.l;
      const int32_t fine = st.tipo == 12 ? p + st.l / 2 : st.tipo == 6 ? p + 150 : p + st.l;
      const int32_t fermata = fine / 50 - 1;
      if (inizio - 350 < fine_prima || !occ.libere({fermata})) continue;
      occ.prendi({fermata});
      stazioni.push_back({p, st.tipo, st.l, fermata});
      fine_prima = fine;
      posto = true;
    }
    if (!posto) throw std::invalid_argument("no room for station " + std::to_string(k));
  }

  // Tunnels: 80 stretches, each over half of its 1/80 of the line; kinds 1
  // and 2 with markers, every third one kind 2 without.
  std::vector<MontagnaGenerata>& gallerie = g.gallerie;
  const int32_t passo_montagne = lunghezza / montagne;
  for (int32_t n = 0; n < montagne; ++n) {
    const int32_t inizio = a_50(int64_t{n} * passo_montagne + passo_montagne / 4);
    const int32_t fine = a_50(int64_t{inizio} + passo_montagne / 2);
    gallerie.push_back({inizio, fine, n % 3 == 2 ? 2 : 11 + n % 2});
  }

  // Indication boards before every tenth tunnel, on a free cell.
  std::vector<int32_t>& tabelle = g.cartelli;
  for (int32_t n = 0; n < cartelli; ++n) {
    const int32_t p0 =
        a_50(gallerie.at(static_cast<size_t>(n * (montagne / cartelli))).inizio + 100);
    bool posto = false;
    for (int i = 0; i < 40 && !posto; ++i) {
      const int32_t p = vicino(p0, i);
      const int32_t c = p / 50 + 1;
      if (!occ.libere({c})) continue;
      occ.prendi({c});
      tabelle.push_back(p);
      posto = true;
    }
    if (!posto) throw std::invalid_argument("no room for board " + std::to_string(n));
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
  for (const CurvaGenerata& c : curve_generate(lunghezza)) {
    riga(l, "%s,  %d,  %d", c.chiave.c_str(), c.inizio, c.lunghezza);
    ++g.curve;
  }
  riga(l, "[pendenze]");
  for (int32_t n = 0; n * passo_pendenze <= lunghezza - passo_pendenze; ++n) {
    riga(l, "pendenza,  %d,   %d", n * passo_pendenze, pendenza_generata(n));
  }
  riga(l, "[montagne]");
  for (const MontagnaGenerata& m : gallerie)
    riga(l, "montagna,   %d,  %d,  %d", m.inizio, m.fine, m.tipo);
  riga(l, "[cartelli]");
  riga(l, "[indicazioni]");
  for (size_t n = 0; n < tabelle.size(); ++n) {
    riga(l, "cartello_indicatore,  %d,   (GALLERIA    )(NUMERO %02zu  )(Km. %d    )", tabelle[n],
         n + 1, tabelle[n] / 1000);
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
    const StazioneGenerata& st = stazioni[k];
    // Times at 200 km/h from 11:20:00.
    const int64_t secondi = 11 * 3600 + 20 * 60 + int64_t{st.p} * 18 / 1000;
    riga(t, "stazione,   %d, %d,  %d,  0, 0, 0,  1,1,0,  4,1,1,    1,  %d, %d, %d, STAZIONE %02zu",
         st.p, st.tipo, st.l, static_cast<int>(secondi / 3600 % 24),
         static_cast<int>(secondi / 60 % 60), static_cast<int>(secondi % 60), k + 1);
  }
  riga(t, "[rallentamenti]");
  for (int32_t x : rallentamenti) {
    riga(t, "rallentamento,   %d,   %d,   %d,   1,   1,   0", x, velocita_rallentamento,
         lunghezza_rallentamento);
  }
  riga(t, "[segnali]");
  for (int32_t p : segnali) riga(t, "segnale,    %d,   2, 4, 1,  1, 0,    2,  2,1,1, 0", p);
  riga(t, "[codici]");
  riga(t, "[fine]");

  return g;
}

}  // namespace sc::test
