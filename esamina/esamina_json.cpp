// A compiled file shown as JSON for tools: the same content as the text,
// with the values under the names of the fields they come from.
#include <nlohmann/json.hpp>

#include <cmath>

#include "format/compiled_decode.h"
#include "esamina/esamina_internal.h"

namespace sc::inspect_detail {

namespace {

using Json = nlohmann::ordered_json;

// Names come from the files: never let a stray byte stop the output.
std::string dump(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

// A top-level object with one key per line and its arrays one element per
// line: readable, and a track plan stays one short line per row. The
// file's path and size come first when it is given; `ultimo`, when given,
// is a last array member already rendered (its key and its lines).
struct MembroReso {
  std::string chiave;
  std::string righe;  // "    ELEMENT" lines joined by ",\n"; empty for no element
};

std::string json_a_righe(Json j, const FileLetto* file, const MembroReso* ultimo = nullptr) {
  if (file) {
    Json tutto;
    tutto["path"] = file->percorso;
    tutto["bytes"] = file->byte;
    for (auto it = j.begin(); it != j.end(); ++it) tutto[it.key()] = std::move(*it);
    j = std::move(tutto);
  }
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
  if (ultimo) {
    out += std::string(primo ? "" : ",\n") + "  " + dump(Json(ultimo->chiave)) + ": ";
    out += ultimo->righe.empty() ? "[]" : "[\n" + ultimo->righe + "\n  ]";
  }
  out += "\n}\n";
  return out;
}

// A plan value: null when empty; a real that JSON cannot write as a number
// (NaN, an infinity) as the string "NaN", "Infinity" or "-Infinity".
std::string numero_json(const Numero& n) {
  const double v = n.valore;  // a copy: the packed field is unaligned
  switch (n.tag) {
    case Numero::Tag::vuoto: return "null";
    case Numero::Tag::intero: return std::to_string(static_cast<int>(v));
    case Numero::Tag::reale: break;
  }
  if (std::isnan(v)) return "\"NaN\"";
  if (std::isinf(v)) return v > 0 ? "\"Infinity\"" : "\"-Infinity\"";
  return dump(Json(v));
}

Json valore(const Elemento& e, const CampoElemento& c) {
  return c.testo() ? Json(utf8_da_1252(e.nome)) : Json(c.numero(e));
}

// The named fields of the record, in that order.
void aggiungi_campi(Json& j, const Elemento& e, std::initializer_list<const char*> campi) {
  for (const char* campo : campi) j[campo] = valore(e, campo_elemento(campo));
}

Json json_record(const Elemento& e, int indice) {
  Json r;
  r["index"] = indice;
  for (const CampoElemento& c : campi_elemento) r[c.campo] = valore(e, c);
  return r;
}

Json json_stazione(const Elemento& e, int numero) {
  Json s;
  s["number"] = numero;
  aggiungi_campi(s, e, {"nome", "tipo", "inizio", "fine", "progressiva", "orario"});
  s["time"] = orario_testo(e.orario);
  aggiungi_campi(s, e, {"dato_4", "dato_5", "dato_6", "dato_7", "dato_8", "dato_9", "dato_10", "dato_11",
                        "dato_12", "dato_13"});
  return s;
}

}  // namespace

std::string json_celle(const std::vector<Cella>& celle, const OpzioniInspect& o, const Elementi* el,
                       const FileLetto* file) {
  Json j;
  j["file"] = "cells";
  j["cells"] = celle.size();
  const auto [da, a] = limiti(celle, o);
  Json scelte = Json::array();
  for (size_t i = da; i < a; ++i) {
    const Cella& c = celle[i];
    if (!mostra_tabella(o) || !cella_scelta(c, i, o, el)) continue;
    Json r;
    r["index"] = i;
    r["metres"] = metri_cella(c, i, el);
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
    const std::string d = dettaglio_cella(c, i, el);
    if (!d.empty()) r["detail"] = d;
    if (c.tipo == tipo_cella::cartello_indicatore && el != nullptr) r["text"] = utf8_da_1252(testo_cartello(c, *el));
    scelte.push_back(std::move(r));
  }
  j["shown"] = scelte.size();
  j["rows"] = std::move(scelte);
  const struct {
    Profilo p;
    const char* nome;
  } profili[] = {{Profilo::velocita, "speed_kmh"}, {Profilo::pendenza, "gradient_per_mille"},
                 {Profilo::galleria, "tunnel"}};
  for (const auto& [p, nome] : profili) {
    if (!mostra_tratti(o, p)) continue;
    Json t = Json::array();
    for (const Tratto& x : tratti_scelti(celle, p, o)) t.push_back(Json{{"from", x.da}, {"to", x.a}, {"value", x.valore}});
    j[std::string("stretches_") + nome] = std::move(t);
  }
  return json_a_righe(std::move(j), file);
}

std::string json_elementi(const std::array<Elemento, numero_elementi>& el, const FileLetto* file) {
  const RuoliElementi ruoli = ruoli_elementi(el);
  Json j;
  j["file"] = "element table";
  Json stazioni = Json::array();
  for (int k = 1; k <= ruoli.stazioni; ++k) stazioni.push_back(json_stazione(rec(el, k), k));
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
  return json_a_righe(std::move(j), file);
}

std::string json_tracciato(const Tracciato& t, const OpzioniInspect& o, const FileLetto* file) {
  Json j;
  j["file"] = "track plan";
  j["rows"] = t.righe();
  j["last_filled_row"] = sommario(t).ultima_piena;
  j["every"] = o.ogni;
  // The rows straight as text: a plan of a million rows would take a
  // hundred bytes a row as JSON values.
  MembroReso punti{"points", {}};
  per_righe(t, o.ogni, [&](size_t i) {
    if (!punti.righe.empty()) punti.righe += ",\n";
    punti.righe += "    [" + std::to_string(i) + "," + numero_json(t.colonna(0)[i]) + "," +
                   numero_json(t.colonna(1)[i]) + "]";
  });
  return json_a_righe(std::move(j), file, &punti);
}

}  // namespace sc::inspect_detail
