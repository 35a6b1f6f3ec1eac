// A compiled file shown as JSON for tools: the same content as the text,
// with the values under the names of the fields they come from.
#include <nlohmann/json.hpp>

#include <cmath>

#include "format/compiled_decode.h"
#include "listing/listing_internal.h"

namespace sc::inspect_detail {

namespace {

using Json = nlohmann::ordered_json;

// Names come from the files: never let a stray byte stop the output.
std::string dump(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

// A top-level object with one key per line and its arrays one element per
// line: readable, and a track plan stays one short line per row. The
// file's path and size come first when it is given.

// One member: its key and its value, an array one element per line.
std::string member_text(const std::string& key, const Json& value) {
  std::string out = "  " + dump(Json(key)) + ": ";
  if (!value.is_array() || value.empty()) return out + dump(value);
  out += "[\n";
  bool first_el = true;
  for (const Json& el : value) {
    if (!first_el) out += ",\n";
    first_el = false;
    out += "    " + dump(el);
  }
  return out + "\n  ]";
}

// The opening of the object and its members, the closing left to the
// caller (more members may follow, each after ",\n").
std::string json_opening(Json j, const LoadedFile* file) {
  if (file) {
    Json whole;
    whole["path"] = file->percorso;
    whole["bytes"] = file->byte;
    for (auto it = j.begin(); it != j.end(); ++it) whole[it.key()] = std::move(*it);
    j = std::move(whole);
  }
  std::string out = "{\n";
  bool first = true;
  for (auto it = j.begin(); it != j.end(); ++it) {
    if (!first) out += ",\n";
    first = false;
    out += member_text(it.key(), *it);
  }
  return out;
}

std::string json_lines(Json j, const LoadedFile* file) {
  return json_opening(std::move(j), file) + "\n}\n";
}

// An array member written element by element as `each` gives them (each
// call of `element` one rendered element), never held whole.
template <typename Each>
void streamed_member(Sink& out, const std::string& key, Each&& each) {
  out += "  " + dump(Json(key)) + ": ";
  bool first = true;
  each([&](const std::string& element) {
    out += first ? "[\n    " : ",\n    ";
    first = false;
    out += element;
  });
  out += first ? "[]" : "\n  ]";
}

// A plan value: null when empty; a real that JSON cannot write as a number
// (NaN, an infinity) as the string "NaN", "Infinity" or "-Infinity".
std::string json_number(const Numero& n) {
  const double v = n.valore;  // a copy: the packed field is unaligned
  switch (n.tag) {
    case Numero::Tag::empty: return "null";
    case Numero::Tag::integer: return std::to_string(static_cast<int>(v));
    case Numero::Tag::real: break;
  }
  if (std::isnan(v)) return "\"NaN\"";
  if (std::isinf(v)) return v > 0 ? "\"Infinity\"" : "\"-Infinity\"";
  return dump(Json(v));
}

Json valore(const Elemento& e, const ElementoField& c) {
  return c.text() ? Json(utf8_from_1252(e.nome)) : Json(c.numero(e));
}

// The named fields of the record, in that order.
void add_fields(Json& j, const Elemento& e, std::initializer_list<const char*> fields) {
  for (const char* field : fields) j[field] = valore(e, elemento_field(field));
}

Json json_record(const Elemento& e, int indice) {
  Json r;
  r["index"] = indice;
  for (const ElementoField& c : elemento_fields) r[c.field] = valore(e, c);
  return r;
}

Json json_stazione(const Elemento& e, int numero) {
  Json s;
  s["number"] = numero;
  add_fields(s, e, {"nome", "tipo", "inizio", "fine", "progressiva", "orario"});
  s["time"] = orario_text(e.orario);
  add_fields(s, e,
             {"dato_4", "dato_5", "dato_6", "dato_7", "dato_8", "dato_9", "dato_10", "dato_11",
              "dato_12", "dato_13"});
  return s;
}

}  // namespace

void json_celle(Sink& out, const std::vector<Cella>& celle, const InspectOptions& o,
                const Elementi* el, const LoadedFile* file) {
  Json j;
  j["file"] = "cells";
  j["cells"] = celle.size();
  // Named variables, not a structured binding: the lambdas below use them.
  const std::pair<size_t, size_t> range = limits(celle, o);
  const size_t from = range.first, a = range.second;
  const auto chosen = [&](size_t i) { return show_table(o) && chosen_cella(celle[i], i, o, el); };
  size_t shown = 0;
  for (size_t i = from; i < a; ++i) shown += chosen(i) ? 1 : 0;
  j["shown"] = shown;
  out += json_opening(std::move(j), file);
  out += ",\n";
  // The rows one at a time: a long line's cells take megabytes as JSON.
  streamed_member(out, "rows", [&](const auto& element) {
    for (size_t i = from; i < a; ++i) {
      if (!chosen(i)) continue;
      const Cella& c = celle[i];
      Json r;
      r["index"] = i;
      r["metres"] = cella_metres(c, i, el);
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
      const std::string d = cella_detail(c, i, el);
      if (!d.empty()) r["detail"] = d;
      if (c.tipo == tipo_cella::cartello_indicatore && el != nullptr)
        r["text"] = utf8_from_1252(board_text(c, *el));
      element(dump(r));
    }
  });
  const struct {
    Profile p;
    const char* nome;
  } profiles[] = {{Profile::velocita, "speed_kmh"},
                  {Profile::pendenza, "gradient_per_mille"},
                  {Profile::galleria, "tunnel"}};
  for (const auto& [p, nome] : profiles) {
    if (!show_stretches(o, p)) continue;
    Json t = Json::array();
    for (const Stretch& x : chosen_stretches(celle, p, o))
      t.push_back(Json{{"from", x.from}, {"to", x.a}, {"value", x.valore}});
    out += ",\n" + member_text(std::string("stretches_") + nome, t);
  }
  out += "\n}\n";
}

std::string json_elementi(const std::array<Elemento, numero_elementi>& el, const LoadedFile* file) {
  const ElementRoles roles = element_roles(el);
  Json j;
  j["file"] = "element table";
  Json stazioni = Json::array();
  for (int k = 1; k <= roles.stazioni; ++k) stazioni.push_back(json_stazione(rec(el, k), k));
  j["stations"] = std::move(stazioni);
  Json cartelli = Json::array();
  for (int r = first_board_record; r >= roles.last_board && roles.last_board > 0; --r) {
    cartelli.push_back(Json{{"record", r}, {"text", utf8_from_1252(rec(el, r).nome)}});
  }
  j["boards"] = std::move(cartelli);
  Json km = Json::array();
  for (int r = record_progressiva_tre; r <= record_progressiva_uno; ++r) {
    const Elemento& e = rec(el, r);
    km.push_back(Json{
        {"record", r}, {"inizio", e.inizio}, {"fine", e.fine}, {"progressiva", e.progressiva}});
  }
  j["kilometre_references"] = std::move(km);
  const Elemento& r84 = rec(el, record_treno_linea);
  j["train_and_line"] = Json{{"massa_frenata", r84.inizio},
                             {"lunghezza_percorso", r84.fine},
                             {"numero_vetture", r84.progressiva}};
  const Elemento& r85 = rec(el, record_sfondo_identita);
  const Elemento& r86 = rec(el, record_ripetizione);
  const CodiciGara expected = expected_codes(r86.nome, r85.nome);
  j["identity"] = Json{{"sfondo_uno", r85.inizio},
                       {"sfondo_due", r85.progressiva},
                       {"sfondo_tre", r85.fine},
                       {"nome_scenario", utf8_from_1252(r85.nome)},
                       {"mark", r85.dato_7},
                       {"weighted_contest_code", r85.orario},
                       {"expected_weighted_contest_code", expected.weighted},
                       {"expected_plain_contest_code", expected.simple}};
  j["cab_signalling"] = Json{{"ripetizione_valore_1", r86.inizio},
                             {"ripetizione_valore_2", r86.fine},
                             {"ripetizione_codici", r86.progressiva},
                             {"numero_treno", utf8_from_1252(r86.nome)},
                             {"sabbia", r86.dato_7},
                             {"orologio_ore", r86.dato_10},
                             {"orologio_minuti", r86.dato_11},
                             {"orologio_secondi", r86.dato_12}};
  Json others = Json::array();
  for (const int r : roles.others) others.push_back(r);
  j["unexpected_records"] = std::move(others);
  Json all = Json::array();
  for (int r = 0; r < numero_elementi; ++r) all.push_back(json_record(rec(el, r), r));
  j["records"] = std::move(all);
  return json_lines(std::move(j), file);
}

void json_tracciato(Sink& out, const PlanRows& t, const InspectOptions& o, const LoadedFile* file) {
  Json j;
  j["file"] = "track plan";
  j["rows"] = t.rows;
  j["last_filled_row"] = summary(t).last_full;
  j["every"] = o.every;
  out += json_opening(std::move(j), file);
  out += ",\n";
  // The rows straight as text, as they are read: a plan of a million rows
  // would take a hundred bytes a row as JSON values.
  streamed_member(out, "points", [&](const auto& element) {
    by_lines(t, o.every, [&](size_t i, const Numero& x, const Numero& y) {
      element("[" + std::to_string(i) + "," + json_number(x) + "," + json_number(y) + "]");
    });
  });
  out += "\n}\n";
}

}  // namespace sc::inspect_detail
