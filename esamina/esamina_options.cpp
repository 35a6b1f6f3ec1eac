// The options of `inspect` that pick what to show: cell groups (`--only`),
// a range of cells (`--cells`), every N-th row of a track plan (`--every`).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "esamina/esamina_internal.h"
#include "compiler/testo.h"

namespace sc {

FiltroCelle filtro_da_nome(std::string_view nome) {
  const std::string n = minuscole_1252(nome);
  if (n == "signals" || n == "signal") return FiltroCelle::segnali;
  if (n == "stations" || n == "station") return FiltroCelle::stazioni;
  if (n == "restrictions" || n == "restriction") return FiltroCelle::rallentamenti;
  if (n == "boards" || n == "board") return FiltroCelle::cartelli;
  if (n == "codes" || n == "code" || n == "cab-codes" || n == "cab-code") return FiltroCelle::codici;
  if (n == "tunnels" || n == "tunnel") return FiltroCelle::gallerie;
  throw std::invalid_argument("unknown cell group \"" + std::string(nome) +
                              "\"; use signals, stations, restrictions, boards, codes or tunnels");
}

bool cella_nel_filtro(const Cella& c, FiltroCelle filtro) {
  switch (filtro) {
    case FiltroCelle::segnali: return c.tipo == tipo_cella::segnale;
    case FiltroCelle::stazioni: return c.tipo == tipo_cella::fermata;
    case FiltroCelle::rallentamenti:
      return c.tipo >= tipo_cella::fine_rallentamento && c.tipo <= tipo_cella::approccio_rallentamento;
    case FiltroCelle::cartelli:
      return c.tipo == tipo_cella::indicatori_v_max || c.tipo == tipo_cella::cartello_indicatore;
    case FiltroCelle::codici:
      return c.tipo == tipo_cella::codice || c.tipo == tipo_cella::codice_senza_velocita;
    case FiltroCelle::gallerie: return false;
  }
  return false;
}

IntervalloCelle intervallo_da_testo(std::string_view testo) {
  const auto errore = [&] {
    return std::invalid_argument("cell range \"" + std::string(testo) +
                                 "\" is not FROM:TO (whole numbers, FROM not above TO)");
  };
  const size_t due_punti = testo.find(':');
  if (due_punti == std::string_view::npos) throw errore();
  const auto numero = [&](std::string_view s, int64_t vuoto) {
    if (s.empty()) return vuoto;
    int64_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < 0) throw errore();
    return v;
  };
  IntervalloCelle i;
  i.da = numero(testo.substr(0, due_punti), 0);
  i.a = numero(testo.substr(due_punti + 1), INT64_MAX);
  if (i.da > i.a) throw errore();
  return i;
}

IntervalloMetri intervallo_da_km(std::string_view testo) {
  const auto errore = [&] {
    return std::invalid_argument("kilometre range \"" + std::string(testo) +
                                 "\" is not FROM:TO (kilometres, FROM not above TO)");
  };
  const size_t due_punti = testo.find(':');
  if (due_punti == std::string_view::npos) throw errore();
  const auto metri = [&](std::string_view s, int64_t vuoto) {
    if (s.empty()) return vuoto;
    double km = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), km);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !(km >= 0) || km > 1e9) throw errore();
    return static_cast<int64_t>(std::nearbyint(km * 1000));
  };
  IntervalloMetri m;
  m.da = metri(testo.substr(0, due_punti), 0);
  m.a = metri(testo.substr(due_punti + 1), INT64_MAX);
  if (m.da > m.a) throw errore();
  return m;
}

namespace inspect_detail {

const char* nome_filtro(FiltroCelle f) {
  switch (f) {
    case FiltroCelle::segnali: return "signals";
    case FiltroCelle::stazioni: return "stations";
    case FiltroCelle::rallentamenti: return "restrictions";
    case FiltroCelle::cartelli: return "boards";
    case FiltroCelle::codici: return "codes";
    case FiltroCelle::gallerie: return "tunnels";
  }
  return "";
}

bool cella_scelta(const Cella& c, size_t i, const OpzioniInspect& o, const Elementi* el) {
  if (o.metri) {
    const int64_t m = metri_cella(c, i, el);
    if (m < o.metri->da || m >= o.metri->a) return false;
  }
  if (o.solo.empty()) return true;
  return std::any_of(o.solo.begin(), o.solo.end(), [&c](FiltroCelle f) { return cella_nel_filtro(c, f); });
}

bool mostra_tabella(const OpzioniInspect& o) {
  return o.solo.empty() ||
         std::any_of(o.solo.begin(), o.solo.end(), [](FiltroCelle f) { return f != FiltroCelle::gallerie; });
}

bool mostra_tratti(const OpzioniInspect& o, Profilo p) {
  if (p == Profilo::aderenza) return false;
  if (o.solo.empty()) return true;
  return p == Profilo::galleria && std::find(o.solo.begin(), o.solo.end(), FiltroCelle::gallerie) != o.solo.end();
}

std::vector<Tratto> tratti_scelti(const std::vector<Cella>& celle, Profilo p, const OpzioniInspect& o) {
  const auto [primo, fine] = limiti(celle, o);
  int64_t da = static_cast<int64_t>(primo) * 50, a = static_cast<int64_t>(fine) * 50;
  if (o.metri) {
    da = std::max(da, o.metri->da);
    a = std::min(a, o.metri->a);
  }
  return ritaglia(tratti(celle, p), da, a);
}

std::pair<size_t, size_t> limiti(const std::vector<Cella>& celle, const OpzioniInspect& o) {
  if (!o.celle) return {0, celle.size()};
  const int64_t n = static_cast<int64_t>(celle.size());
  const int64_t da = std::clamp<int64_t>(o.celle->da, 0, n);
  const int64_t a = o.celle->a >= n - 1 ? n : std::max<int64_t>(o.celle->a + 1, da);
  return {static_cast<size_t>(da), static_cast<size_t>(a)};
}

void controlla_ogni(const OpzioniInspect& o) {
  if (o.ogni < 1) throw std::invalid_argument("--every needs a number of 1 or more");
}

}  // namespace inspect_detail
}  // namespace sc
