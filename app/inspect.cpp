#include "app/inspect.h"

#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "app/compiled_decode.h"
#include "compiler/testo.h"

namespace sc {
namespace {

using Json = nlohmann::ordered_json;

__attribute__((format(printf, 1, 2))) std::string fmt(const char* formato, ...) {
  char buf[256];
  va_list args;
  va_start(args, formato);
  va_list copia;
  va_copy(copia, args);
  const int n = std::vsnprintf(buf, sizeof buf, formato, args);
  va_end(args);
  std::string out;
  if (n > 0 && static_cast<size_t>(n) < sizeof buf) {
    out.assign(buf, static_cast<size_t>(n));
  } else if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), formato, copia);
    out.resize(static_cast<size_t>(n));
  }
  va_end(copia);
  return out;
}

// Names come from the files: never let a stray byte stop the output.
std::string dump(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

// A top-level object with one key per line and its arrays one element per
// line: readable, and a track plan stays one short line per row.
std::string json_a_righe(const Json& j) {
  std::string out = "{\n";
  bool primo = true;
  for (auto it = j.begin(); it != j.end(); ++it) {
    if (!primo) out += ",\n";
    primo = false;
    out += "  " + dump(Json(it.key())) + ": ";
    if (it->is_array() && !it->empty()) {
      out += "[\n";
      bool primo_el = true;
      for (const Json& el : *it) {
        if (!primo_el) out += ",\n";
        primo_el = false;
        out += "    " + dump(el);
      }
      out += "\n  ]";
    } else {
      out += dump(*it);
    }
  }
  out += "\n}\n";
  return out;
}

std::string orario_testo(int64_t secondi) {
  const char* segno = secondi < 0 ? "-" : "";
  const int64_t s = secondi < 0 ? -secondi : secondi;
  return fmt("%s%" PRId64 ":%02" PRId64 ":%02" PRId64, segno, s / 3600, (s / 60) % 60, s % 60);
}

// Shortest text that reads back as the same double; reals always show a
// decimal point so that they stand apart from the 16-bit seeds.
std::string numero_testo(const Numero& n) {
  switch (n.tag) {
    case Numero::Tag::vuoto: return "-";
    case Numero::Tag::intero: return fmt("%d", static_cast<int>(n.valore));
    case Numero::Tag::reale: break;
  }
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, n.valore);
  std::string s(buf, r.ptr);
  if (s.find_first_of(".eni") == std::string::npos) s += ".0";
  return s;
}

Json numero_json(const Numero& n) {
  switch (n.tag) {
    case Numero::Tag::vuoto: return nullptr;
    case Numero::Tag::intero: return static_cast<int>(n.valore);
    case Numero::Tag::reale: return n.valore;
  }
  return nullptr;
}

bool cella_scelta(const Cella& c, const OpzioniInspect& o) {
  if (o.solo.empty()) return true;
  for (const FiltroCelle f : o.solo) {
    if (cella_nel_filtro(c, f)) return true;
  }
  return false;
}

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

// The cells to show: [primo, ultimo) within the file.
std::pair<size_t, size_t> limiti(const std::vector<Cella>& celle, const OpzioniInspect& o) {
  if (!o.celle) return {0, celle.size()};
  const int64_t n = static_cast<int64_t>(celle.size());
  const int64_t da = std::clamp<int64_t>(o.celle->da, 0, n);
  const int64_t a = o.celle->a >= n - 1 ? n : std::max<int64_t>(o.celle->a + 1, da);
  return {static_cast<size_t>(da), static_cast<size_t>(a)};
}

Json json_celle(const std::vector<Cella>& celle, const OpzioniInspect& o) {
  Json j;
  j["file"] = "cells";
  j["cells"] = celle.size();
  const auto [da, a] = limiti(celle, o);
  Json scelte = Json::array();
  for (size_t i = da; i < a; ++i) {
    const Cella& c = celle[i];
    if (!cella_scelta(c, o)) continue;
    Json r;
    r["index"] = i;
    r["metres"] = i * 50;
    r["tipo"] = c.tipo;
    r["type"] = nome_tipo_cella(c.tipo);
    r["valore_1"] = c.valore_1;
    r["valore_2"] = c.valore_2;
    r["valore_3"] = c.valore_3;
    r["valore_4"] = c.valore_4;
    r["tempo"] = c.tempo;
    r["avviso"] = c.avviso;
    r["galleria"] = c.galleria;
    r["velocita"] = c.velocita;
    r["speed_kmh"] = c.velocita * 5;
    r["pendenza"] = c.pendenza;
    r["gradient_per_mille"] = c.pendenza - 100;
    r["aderenza"] = c.aderenza;
    const std::string d = dettaglio_cella(c, i);
    if (!d.empty()) r["detail"] = d;
    scelte.push_back(std::move(r));
  }
  j["shown"] = scelte.size();
  j["rows"] = std::move(scelte);
  return j;
}

std::string testo_celle(const std::vector<Cella>& celle, const OpzioniInspect& o) {
  std::string out;
  if (celle.empty()) return "Cells: none\n";
  out += fmt("Cells: %zu (0 to %zu)", celle.size(), celle.size() - 1);
  const auto [da, a] = limiti(celle, o);
  if (o.celle) out += a > da ? fmt("; showing %zu to %zu", da, a - 1) : std::string("; none in the range");
  if (!o.solo.empty()) {
    out += "; only";
    for (const FiltroCelle f : o.solo) out += std::string(" ") + nome_filtro(f);
  }
  out += "\n";
  out += fmt("%6s %8s  %-21s %7s %7s %7s %7s %5s %6s %6s %5s %9s %8s  %s\n", "cell", "metres",
             "type", "val_1", "val_2", "val_3", "val_4", "tempo", "avviso", "tunnel", "km/h",
             "gradient", "aderenza", "detail");
  size_t mostrate = 0;
  for (size_t i = da; i < a; ++i) {
    const Cella& c = celle[i];
    if (!cella_scelta(c, o)) continue;
    ++mostrate;
    std::string riga = fmt("%6zu %8zu  %-21s %7d %7d %7d %7d %5u %6u %6u %5d %9d %8u", i, i * 50,
                           nome_tipo_cella(c.tipo).c_str(), c.valore_1, c.valore_2, c.valore_3,
                           c.valore_4, c.tempo, c.avviso, c.galleria, c.velocita * 5,
                           c.pendenza - 100, c.aderenza);
    const std::string d = dettaglio_cella(c, i);
    if (!d.empty()) riga += "  " + d;
    out += riga + "\n";
  }
  out += fmt("%zu cells shown; gradient in per mille (byte - 100), km/h = byte x 5\n", mostrate);
  return out;
}

Json json_record(const Elemento& e, int indice) {
  Json r;
  r["index"] = indice;
  r["tipo"] = e.tipo;
  r["inizio"] = e.inizio;
  r["fine"] = e.fine;
  r["progressiva"] = e.progressiva;
  r["dato_4"] = e.dato_4;
  r["nome"] = utf8_da_1252(e.nome);
  r["dato_7"] = e.dato_7;
  r["dato_8"] = e.dato_8;
  r["dato_10"] = e.dato_10;
  r["dato_11"] = e.dato_11;
  r["dato_12"] = e.dato_12;
  r["dato_9"] = e.dato_9;
  r["dato_13"] = e.dato_13;
  r["dato_6"] = e.dato_6;
  r["dato_5"] = e.dato_5;
  r["orario"] = e.orario;
  return r;
}

const Elemento& rec(const std::array<Elemento, numero_elementi>& el, int i) {
  return el.at(static_cast<size_t>(i));
}

Json json_elementi(const std::array<Elemento, numero_elementi>& el) {
  const RuoliElementi ruoli = ruoli_elementi(el);
  Json j;
  j["file"] = "element table";
  Json stazioni = Json::array();
  for (int k = 1; k <= ruoli.stazioni; ++k) {
    const Elemento& e = rec(el, k);
    Json s;
    s["number"] = k;
    s["nome"] = utf8_da_1252(e.nome);
    s["tipo"] = e.tipo;
    s["inizio"] = e.inizio;
    s["fine"] = e.fine;
    s["progressiva"] = e.progressiva;
    s["orario"] = e.orario;
    s["time"] = orario_testo(e.orario);
    s["dato_4"] = e.dato_4;
    s["dato_5"] = e.dato_5;
    s["dato_6"] = e.dato_6;
    s["dato_7"] = e.dato_7;
    s["dato_8"] = e.dato_8;
    s["dato_9"] = e.dato_9;
    s["dato_10"] = e.dato_10;
    s["dato_11"] = e.dato_11;
    s["dato_12"] = e.dato_12;
    s["dato_13"] = e.dato_13;
    stazioni.push_back(std::move(s));
  }
  j["stations"] = std::move(stazioni);
  Json cartelli = Json::array();
  for (int r = record_primo_cartello; r >= ruoli.ultimo_cartello && ruoli.ultimo_cartello > 0; --r) {
    cartelli.push_back(Json{{"record", r}, {"text", utf8_da_1252(rec(el, r).nome)}});
  }
  j["boards"] = std::move(cartelli);
  Json km = Json::array();
  for (int r = record_progressiva_tre; r <= record_progressiva_uno; ++r) {
    const Elemento& e = rec(el, r);
    km.push_back(Json{{"record", r}, {"inizio", e.inizio}, {"fine", e.fine}, {"progressiva", e.progressiva}});
  }
  j["kilometre_references"] = std::move(km);
  const Elemento& r84 = rec(el, record_treno_linea);
  j["train_and_line"] = Json{{"massa_frenata", r84.inizio},
                             {"lunghezza_percorso", r84.fine},
                             {"numero_vetture", r84.progressiva}};
  const Elemento& r85 = rec(el, record_sfondo_identita);
  const Elemento& r86 = rec(el, record_ripetizione);
  const CodiciGara attesi = codici_attesi(r86.nome, r85.nome);
  j["identity"] = Json{{"sfondo_uno", r85.inizio},
                       {"sfondo_due", r85.progressiva},
                       {"sfondo_tre", r85.fine},
                       {"nome_scenario", utf8_da_1252(r85.nome)},
                       {"mark", r85.dato_7},
                       {"weighted_contest_code", r85.orario},
                       {"expected_weighted_contest_code", attesi.pesato},
                       {"expected_plain_contest_code", attesi.semplice}};
  j["cab_signalling"] = Json{{"ripetizione_valore_1", r86.inizio},
                             {"ripetizione_valore_2", r86.fine},
                             {"ripetizione_codici", r86.progressiva},
                             {"numero_treno", utf8_da_1252(r86.nome)},
                             {"sabbia", r86.dato_7},
                             {"orologio_ore", r86.dato_10},
                             {"orologio_minuti", r86.dato_11},
                             {"orologio_secondi", r86.dato_12}};
  Json altri = Json::array();
  for (const int r : ruoli.altri) altri.push_back(r);
  j["unexpected_records"] = std::move(altri);
  Json tutti = Json::array();
  for (int r = 0; r < numero_elementi; ++r) tutti.push_back(json_record(rec(el, r), r));
  j["records"] = std::move(tutti);
  return j;
}

std::string testo_record_grezzo(const Elemento& e, int r) {
  return fmt("  record %2d: tipo %u inizio %d fine %d progressiva %d dato_4 %u nome \"%s\" dato_7 %d "
             "dato_8 %d dato_10 %d dato_11 %d dato_12 %d dato_9 %u dato_13 %u dato_6 %u dato_5 %u "
             "orario %d\n",
             r, e.tipo, e.inizio, e.fine, e.progressiva, e.dato_4, utf8_da_1252(e.nome).c_str(),
             e.dato_7, e.dato_8, e.dato_10, e.dato_11, e.dato_12, e.dato_9, e.dato_13, e.dato_6,
             e.dato_5, e.orario);
}

std::string testo_elementi(const std::array<Elemento, numero_elementi>& el) {
  const RuoliElementi ruoli = ruoli_elementi(el);
  std::string out = "Element table: 87 records\n";
  out += fmt("\nStations (%d, records 1 upward):\n", ruoli.stazioni);
  if (ruoli.stazioni > 0) {
    out += fmt("  %3s %-24s %4s %8s %8s %11s %9s  %s\n", "no.", "nome", "tipo", "inizio", "fine",
               "progressiva", "time", "dato_4 5 6 7 8 9 10 11 12 13");
  }
  for (int k = 1; k <= ruoli.stazioni; ++k) {
    const Elemento& e = rec(el, k);
    out += fmt("  %3d %-24s %4u %8d %8d %11d %9s  %u %u %u %d %d %u %d %d %d %u\n", k,
               utf8_da_1252(e.nome).c_str(), e.tipo, e.inizio, e.fine, e.progressiva,
               orario_testo(e.orario).c_str(), e.dato_4, e.dato_5, e.dato_6, e.dato_7, e.dato_8,
               e.dato_9, e.dato_10, e.dato_11, e.dato_12, e.dato_13);
  }
  const int n_cartelli = ruoli.ultimo_cartello > 0 ? record_primo_cartello - ruoli.ultimo_cartello + 1 : 0;
  out += fmt("\nBoard texts (%d, records 80 downward):\n", n_cartelli);
  for (int r = record_primo_cartello; n_cartelli > 0 && r >= ruoli.ultimo_cartello; --r) {
    out += fmt("  %3d %s\n", r, utf8_da_1252(rec(el, r).nome).c_str());
  }
  out += "\nKilometre references (inizio, fine, progressiva):\n";
  for (int r = record_progressiva_tre; r <= record_progressiva_uno; ++r) {
    const Elemento& e = rec(el, r);
    out += fmt("  %3d %10d %10d %10d\n", r, e.inizio, e.fine, e.progressiva);
  }
  const Elemento& r84 = rec(el, record_treno_linea);
  out += fmt("\nTrain and line (record 84): massa_frenata %d, lunghezza_percorso %d m, numero_vetture %d\n",
             r84.inizio, r84.fine, r84.progressiva);
  const Elemento& r85 = rec(el, record_sfondo_identita);
  const Elemento& r86 = rec(el, record_ripetizione);
  const CodiciGara attesi = codici_attesi(r86.nome, r85.nome);
  out += fmt("\nBackground and identity (record 85): sfondo_uno %d, sfondo_due %d, sfondo_tre %d\n",
             r85.inizio, r85.progressiva, r85.fine);
  out += fmt("  nome_scenario \"%s\"\n", utf8_da_1252(r85.nome).c_str());
  out += fmt("  mark %d%s\n", r85.dato_7, r85.dato_7 == 610 ? "" : " (610 expected)");
  out += fmt("  weighted contest code %d (%s %d from the identity)\n", r85.orario,
             r85.orario == attesi.pesato ? "matches" : "DIFFERS from", attesi.pesato);
  out += fmt("  plain contest code from the identity: %d (held in cell 1 of the cells file)\n",
             attesi.semplice);
  out += fmt("\nCab signalling, train, sand, clock (record 86):\n"
             "  ripetizione_valore_1 %d, ripetizione_valore_2 %d, ripetizione_codici %d\n"
             "  numero_treno \"%s\", sabbia %d, orologio %02d:%02d:%02d\n",
             r86.inizio, r86.fine, r86.progressiva, utf8_da_1252(r86.nome).c_str(), r86.dato_7,
             r86.dato_10, r86.dato_11, r86.dato_12);
  if (!ruoli.altri.empty()) {
    out += "\nRecords outside their roles (not empty where a clear record is expected):\n";
    for (const int r : ruoli.altri) out += testo_record_grezzo(rec(el, r), r);
  }
  return out;
}

// Rows shown: every N-th and the last.
template <typename F>
void per_righe(const Tracciato& t, int32_t ogni, F&& f) {
  const int32_t n = t.righe();
  for (int32_t i = 0; i < n; ++i) {
    if (i % ogni == 0 || i == n - 1) f(static_cast<size_t>(i));
  }
}

struct Sommario {
  int32_t ultima_piena = -1;  // last row with both values set
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};

Sommario sommario(const Tracciato& t) {
  Sommario s;
  bool primo = true;
  for (int32_t i = 0; i < t.righe(); ++i) {
    const Numero& x = t.colonna(0)[static_cast<size_t>(i)];
    const Numero& y = t.colonna(1)[static_cast<size_t>(i)];
    if (x.tag == Numero::Tag::vuoto || y.tag == Numero::Tag::vuoto) continue;
    s.ultima_piena = i;
    if (!std::isfinite(x.valore) || !std::isfinite(y.valore)) continue;
    if (primo) {
      s.xmin = s.xmax = x.valore;
      s.ymin = s.ymax = y.valore;
      primo = false;
    }
    s.xmin = std::min(s.xmin, x.valore);
    s.xmax = std::max(s.xmax, x.valore);
    s.ymin = std::min(s.ymin, y.valore);
    s.ymax = std::max(s.ymax, y.valore);
  }
  return s;
}

Json json_tracciato(const Tracciato& t, const OpzioniInspect& o) {
  Json j;
  j["file"] = "track plan";
  j["rows"] = t.righe();
  const Sommario s = sommario(t);
  j["last_filled_row"] = s.ultima_piena;
  j["every"] = o.ogni;
  Json punti = Json::array();
  per_righe(t, o.ogni, [&](size_t i) {
    punti.push_back(Json::array({i, numero_json(t.colonna(0)[i]), numero_json(t.colonna(1)[i])}));
  });
  j["points"] = std::move(punti);
  return j;
}

std::string testo_tracciato(const Tracciato& t, const OpzioniInspect& o) {
  if (t.righe() == 0) return "Track plan: no rows\n";
  const Sommario s = sommario(t);
  std::string out = fmt("Track plan: %d rows (metres 0 to %d), filled through row %d", t.righe(),
                        t.righe() - 1, s.ultima_piena);
  if (s.ultima_piena >= 0) {
    out += fmt("; x from %.1f to %.1f m, y from %.1f to %.1f m", s.xmin, s.xmax, s.ymin, s.ymax);
  }
  out += "\n";
  if (o.ogni > 1) out += fmt("Every %d-th row and the last.\n", o.ogni);
  out += "16-bit integers as written, reals with a decimal point, empty values as -\n";
  out += fmt("%8s %24s %24s\n", "metre", "x", "y");
  per_righe(t, o.ogni, [&](size_t i) {
    out += fmt("%8zu %24s %24s\n", i, numero_testo(t.colonna(0)[i]).c_str(),
               numero_testo(t.colonna(1)[i]).c_str());
  });
  return out;
}

void controlla_opzioni(FileCompilato tipo, const OpzioniInspect& o) {
  if (o.ogni < 1) throw std::invalid_argument("--every needs a number of 1 or more");
  if (tipo != FileCompilato::celle && (o.celle || !o.solo.empty())) {
    throw std::invalid_argument(std::string("--cells and --only apply to a cells file, not to a ") +
                                nome_file_compilato(tipo) + " file");
  }
  if (tipo != FileCompilato::tracciato && o.ogni != 1) {
    throw std::invalid_argument(std::string("--every applies to a track plan file, not to a ") +
                                nome_file_compilato(tipo) + " file");
  }
}

}  // namespace

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
    case FiltroCelle::gallerie: return c.tipo == tipo_cella::marca_galleria || c.galleria != 0;
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

std::string nome_tipo_cella(uint8_t tipo) {
  switch (tipo) {
    case tipo_cella::vuota: return "empty";
    case tipo_cella::segnale: return "signal";
    case tipo_cella::fine_rallentamento: return "restriction end";
    case tipo_cella::inizio_rallentamento: return "restriction start";
    case tipo_cella::avviso_rallentamento: return "restriction warning";
    case tipo_cella::approccio_rallentamento: return "restriction approach";
    case tipo_cella::indicatori_v_max: return "speed-indicator board";
    case tipo_cella::fermata: return "station stop";
    case tipo_cella::marca_galleria: return "tunnel marker";
    case tipo_cella::codice: return "cab code";
    case tipo_cella::codice_senza_velocita: return "cab code, no speed";
    case tipo_cella::cartello_indicatore: return "indication board";
    default: return "unknown " + std::to_string(tipo);
  }
}

std::string dettaglio_cella(const Cella& c, size_t indice) {
  std::string d;
  const int v1 = c.valore_1, v2 = c.valore_2, v3 = c.valore_3, v4 = c.valore_4;
  switch (c.tipo) {
    case tipo_cella::segnale: {
      const int lati = v4 % 10;
      d = fmt("left %d (%d/%d/%d), right %d (%d/%d/%d), rapp %d", lati / 3, v1 / 10, v2 / 10,
              v3 / 10, lati % 3, v1 % 10, v2 % 10, v3 % 10, v4 / 10);
      break;
    }
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento:
      d = fmt("%d km/h, f_tt %d", v1, v3);
      if (v2 != 0) d += fmt(", d_v %d", v2);
      break;
    case tipo_cella::avviso_rallentamento: d = fmt("%d km/h", v1); break;
    case tipo_cella::approccio_rallentamento: d = fmt("approach %d", v1); break;
    case tipo_cella::indicatori_v_max:
      d = fmt("left %d/%d/%d km/h, right %d/%d/%d km/h, stripes %d/%d", v1 / 100 * 5, v2 / 100 * 5,
              v3 / 100 * 5, v1 % 100 * 5, v2 % 100 * 5, v3 % 100 * 5, v4 / 10, v4 % 10);
      break;
    case tipo_cella::fermata: d = fmt("station %d", v1); break;
    case tipo_cella::codice: d = fmt("%d km/h", v1); break;
    case tipo_cella::cartello_indicatore: d = fmt("text in record %d", v1); break;
    default: break;
  }
  if (indice == 1) {
    if (!d.empty()) d += "; ";
    d += fmt("mark %d%s, plain contest code %d", v1, v1 == 5121 ? "" : " (5121 expected)", v2);
  }
  return d;
}

std::string mostra_celle(const std::vector<Cella>& celle, const OpzioniInspect& opzioni) {
  return opzioni.json ? json_a_righe(json_celle(celle, opzioni)) : testo_celle(celle, opzioni);
}

std::string mostra_elementi(const std::array<Elemento, numero_elementi>& elementi,
                            const OpzioniInspect& opzioni) {
  return opzioni.json ? json_a_righe(json_elementi(elementi)) : testo_elementi(elementi);
}

std::string mostra_tracciato(const Tracciato& tracciato, const OpzioniInspect& opzioni) {
  if (opzioni.ogni < 1) throw std::invalid_argument("--every needs a number of 1 or more");
  return opzioni.json ? json_a_righe(json_tracciato(tracciato, opzioni))
                      : testo_tracciato(tracciato, opzioni);
}

std::string mostra_file(const std::filesystem::path& file, const OpzioniInspect& opzioni) {
  const std::string nome = file.filename().string();
  const std::optional<FileCompilato> tipo = riconosci_file(nome);
  if (!tipo) {
    throw std::invalid_argument("\"" + file.string() +
                                "\" is not a compiled file: the name must end in \"_linea.dat\", "
                                "\".sim\" or \".dat\"");
  }
  controlla_opzioni(*tipo, opzioni);
  const std::string dati = leggi_file_binario(file);
  Json j;
  std::string testo;
  switch (*tipo) {
    case FileCompilato::celle: {
      const auto celle = decodifica_celle(dati);
      if (opzioni.json) j = json_celle(celle, opzioni); else testo = testo_celle(celle, opzioni);
      break;
    }
    case FileCompilato::elementi: {
      const auto elementi = decodifica_elementi(dati);
      if (opzioni.json) j = json_elementi(elementi); else testo = testo_elementi(elementi);
      break;
    }
    case FileCompilato::tracciato: {
      const Tracciato t = decodifica_tracciato(dati);
      if (opzioni.json) j = json_tracciato(t, opzioni); else testo = testo_tracciato(t, opzioni);
      break;
    }
  }
  if (opzioni.json) {
    Json out;
    out["path"] = file.string();
    out["bytes"] = dati.size();
    for (auto it = j.begin(); it != j.end(); ++it) out[it.key()] = *it;
    return json_a_righe(out);
  }
  return file.string() + ": " + nome_file_compilato(*tipo) + " file, " +
         std::to_string(dati.size()) + " bytes\n" + testo;
}

CodiciGara codici_attesi(std::string_view numero_treno, std::string_view nome_scenario) {
  const std::string testo = minuscole_1252(std::string(numero_treno) + std::string(nome_scenario)) +
                            "aabbccddeeffgghhiillmmnnoo";
  CodiciGara c;
  for (int i = 1; i <= 25; ++i) {
    const int codice = static_cast<unsigned char>(testo[static_cast<size_t>(i - 1)]);
    c.semplice += codice;
    c.pesato += i * codice;
  }
  return c;
}

}  // namespace sc
