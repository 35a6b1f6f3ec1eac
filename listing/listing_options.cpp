// The options of `inspect` that pick what to show: cell groups (`--only`),
// a range of cells (`--cells`), every N-th row of a track plan (`--every`).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "compiler/text_1252.h"
#include "listing/listing_internal.h"

namespace sc {

CellaFilter filter_from_name(std::string_view nome) {
  const std::string n = lowercase_1252(nome);
  if (n == "signals" || n == "signal") return CellaFilter::segnali;
  if (n == "stations" || n == "station") return CellaFilter::stazioni;
  if (n == "restrictions" || n == "restriction") return CellaFilter::rallentamenti;
  if (n == "boards" || n == "board") return CellaFilter::cartelli;
  if (n == "codes" || n == "code" || n == "cab-codes" || n == "cab-code") return CellaFilter::codes;
  if (n == "tunnels" || n == "tunnel") return CellaFilter::tunnels;
  throw std::invalid_argument("unknown cell group \"" + std::string(nome) +
                              "\"; use signals, stations, restrictions, boards, codes or tunnels");
}

bool cella_in_filter(const Cella& c, CellaFilter filter) {
  switch (filter) {
    case CellaFilter::segnali: return c.tipo == tipo_cella::segnale;
    case CellaFilter::stazioni: return c.tipo == tipo_cella::fermata;
    case CellaFilter::rallentamenti:
      return c.tipo >= tipo_cella::fine_rallentamento &&
             c.tipo <= tipo_cella::approccio_rallentamento;
    case CellaFilter::cartelli:
      return c.tipo == tipo_cella::indicatori_v_max || c.tipo == tipo_cella::cartello_indicatore;
    case CellaFilter::codes:
      return c.tipo == tipo_cella::codice || c.tipo == tipo_cella::codice_senza_velocita;
    case CellaFilter::tunnels: return false;
  }
  return false;
}

CellaRange range_from_text(std::string_view text) {
  const auto errore = [&] {
    return std::invalid_argument("cell range \"" + std::string(text) +
                                 "\" is not FROM:TO (whole numbers, FROM not above TO)");
  };
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) throw errore();
  const auto numero = [&](std::string_view s, int64_t empty) {
    if (s.empty()) return empty;
    int64_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < 0) throw errore();
    return v;
  };
  CellaRange i;
  i.from = numero(text.substr(0, colon), 0);
  i.a = numero(text.substr(colon + 1), INT64_MAX);
  if (i.from > i.a) throw errore();
  return i;
}

MetreRange range_from_km(std::string_view text) {
  const auto errore = [&] {
    return std::invalid_argument("kilometre range \"" + std::string(text) +
                                 "\" is not FROM:TO (kilometres, FROM not above TO)");
  };
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) throw errore();
  const auto metres = [&](std::string_view s, int64_t empty) {
    if (s.empty()) return empty;
    double km = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), km);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !(km >= 0) || km > 1e9)
      throw errore();
    return static_cast<int64_t>(std::nearbyint(km * 1000));
  };
  MetreRange m;
  m.from = metres(text.substr(0, colon), 0);
  m.a = metres(text.substr(colon + 1), INT64_MAX);
  if (m.from > m.a) throw errore();
  return m;
}

namespace inspect_detail {

const char* filter_name(CellaFilter f) {
  switch (f) {
    case CellaFilter::segnali: return "signals";
    case CellaFilter::stazioni: return "stations";
    case CellaFilter::rallentamenti: return "restrictions";
    case CellaFilter::cartelli: return "boards";
    case CellaFilter::codes: return "codes";
    case CellaFilter::tunnels: return "tunnels";
  }
  return "";
}

bool chosen_cella(const Cella& c, size_t i, const InspectOptions& o, const Elementi* el) {
  if (o.metres) {
    const int64_t m = cella_metres(c, i, el);
    if (m < o.metres->from || m >= o.metres->a) return false;
  }
  if (o.only.empty()) return true;
  return std::any_of(o.only.begin(), o.only.end(),
                     [&c](CellaFilter f) { return cella_in_filter(c, f); });
}

bool show_table(const InspectOptions& o) {
  return o.only.empty() || std::any_of(o.only.begin(), o.only.end(),
                                       [](CellaFilter f) { return f != CellaFilter::tunnels; });
}

bool show_stretches(const InspectOptions& o, Profile p) {
  if (p == Profile::aderenza) return false;
  if (o.only.empty()) return true;
  return p == Profile::galleria &&
         std::find(o.only.begin(), o.only.end(), CellaFilter::tunnels) != o.only.end();
}

std::vector<Stretch> chosen_stretches(const std::vector<Cella>& celle, Profile p,
                                      const InspectOptions& o) {
  const auto [first, fine] = limits(celle, o);
  int64_t from = static_cast<int64_t>(first) * 50, a = static_cast<int64_t>(fine) * 50;
  if (o.metres) {
    from = std::max(from, o.metres->from);
    a = std::min(a, o.metres->a);
  }
  return clip(stretches(celle, p), from, a);
}

std::pair<size_t, size_t> limits(const std::vector<Cella>& celle, const InspectOptions& o) {
  if (!o.celle) return {0, celle.size()};
  const int64_t n = static_cast<int64_t>(celle.size());
  const int64_t from = std::clamp<int64_t>(o.celle->from, 0, n);
  const int64_t a = o.celle->a >= n - 1 ? n : std::max<int64_t>(o.celle->a + 1, from);
  return {static_cast<size_t>(from), static_cast<size_t>(a)};
}

void check_every(const InspectOptions& o) {
  if (o.every < 1) throw std::invalid_argument("--every needs a number of 1 or more");
}

}  // namespace inspect_detail
}  // namespace sc
