// What the values of a compiled file mean, for the text and the JSON alike:
// the names of cell types, what a cell's values say for its type, the
// fields of an element record, the contest codes an identity should carry,
// and the extent of a track plan.
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "compiler/codici_gara.h"
#include "format/compiled_decode.h"
#include "format/positions.h"
#include "listing/listing_internal.h"
#include "model/printf_string.h"

namespace sc {

namespace inspect_detail {

std::string orario_text(int64_t seconds) {
  const char* sign = seconds < 0 ? "-" : "";
  const int64_t s = seconds < 0 ? -seconds : seconds;
  return printf_string("%s%" PRId64 ":%02" PRId64 ":%02" PRId64, sign, s / 3600, (s / 60) % 60,
                       s % 60);
}

#define SC_FIELD(nome)                                         \
  ElementoField {                                              \
#nome, [](const Elemento& e) -> int64_t { return e.nome; } \
  }
const std::array<ElementoField, 16> elemento_fields = {
    SC_FIELD(tipo),        SC_FIELD(inizio),  SC_FIELD(fine),
    SC_FIELD(progressiva), SC_FIELD(dato_4),  ElementoField{"nome", nullptr},
    SC_FIELD(dato_7),      SC_FIELD(dato_8),  SC_FIELD(dato_10),
    SC_FIELD(dato_11),     SC_FIELD(dato_12), SC_FIELD(dato_9),
    SC_FIELD(dato_13),     SC_FIELD(dato_6),  SC_FIELD(dato_5),
    SC_FIELD(orario),
};
#undef SC_FIELD

const ElementoField& elemento_field(std::string_view field) {
  for (const ElementoField& c : elemento_fields) {
    if (c.field == field) return c;
  }
  throw std::out_of_range("no element field " + std::string(field));
}

PlanRows rows_of(const Tracciato& t) {
  return PlanRows{t.rows(), [&t](const PlanRows::Visit& f) {
                    for (size_t i = 0; i < static_cast<size_t>(t.rows()); ++i)
                      f(i, t.column(0)[i], t.column(1)[i]);
                  }};
}

Summary summary(const PlanRows& t) {
  Summary s;
  bool first = true;
  t.each([&](size_t i, const Numero& cx, const Numero& cy) {
    if (cx.tag == Numero::Tag::empty || cy.tag == Numero::Tag::empty) return;
    s.last_full = static_cast<int32_t>(i);
    // Copies: the values lie unaligned in the packed records, where no
    // reference (std::min takes two) may bind to them.
    const double x = cx.valore, y = cy.valore;
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    if (first) {
      s.xmin = s.xmax = x;
      s.ymin = s.ymax = y;
      first = false;
    }
    s.xmin = std::min(s.xmin, x);
    s.xmax = std::max(s.xmax, x);
    s.ymin = std::min(s.ymin, y);
    s.ymax = std::max(s.ymax, y);
  });
  return s;
}

}  // namespace inspect_detail

int64_t cella_metres(const Cella& c, size_t indice,
                     const std::array<Elemento, numero_elementi>* elementi) {
  if (c.tipo == tipo_cella::fermata && elementi != nullptr && c.valore_1 > 0 &&
      static_cast<size_t>(c.valore_1) < elementi->size()) {
    return (*elementi)[static_cast<size_t>(c.valore_1)].progressiva;
  }
  return description_metres(c, indice);
}

std::string cella_detail(const Cella& c, size_t indice,
                         const std::array<Elemento, numero_elementi>* elementi) {
  std::string d;
  const int v1 = c.valore_1, v2 = c.valore_2, v3 = c.valore_3, v4 = c.valore_4;
  switch (c.tipo) {
    case tipo_cella::segnale: {
      const int sides = v4 % 10;
      d = printf_string("left %d (%d/%d/%d), right %d (%d/%d/%d), rapp %d", sides / 3, v1 / 10,
                        v2 / 10, v3 / 10, sides % 3, v1 % 10, v2 % 10, v3 % 10, v4 / 10);
      break;
    }
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento:
      d = printf_string("%d km/h, f_tt %d", v1, v3);
      if (v2 != 0) d += printf_string(", d_v %d", v2);
      break;
    case tipo_cella::avviso_rallentamento: d = printf_string("%d km/h", v1); break;
    case tipo_cella::approccio_rallentamento: d = printf_string("approach %d", v1); break;
    case tipo_cella::indicatori_v_max:
      d = printf_string("left %d/%d/%d km/h, right %d/%d/%d km/h, stripes %d/%d", left_speed(v1),
                        left_speed(v2), left_speed(v3), right_speed(v1), right_speed(v2),
                        right_speed(v3), v4 / 10, v4 % 10);
      break;
    case tipo_cella::fermata:
      d = printf_string("station %d", v1);
      if (elementi != nullptr && v1 > 0 && static_cast<size_t>(v1) < elementi->size()) {
        const Elemento& e = (*elementi)[static_cast<size_t>(v1)];
        d += printf_string(" \"%s\" at %d m, from %d to %d m, time %s",
                           utf8_from_1252(e.nome).c_str(), e.progressiva, e.inizio, e.fine,
                           inspect_detail::orario_text(e.orario).c_str());
      }
      break;
    case tipo_cella::codice: d = printf_string("%d km/h", v1); break;
    case tipo_cella::cartello_indicatore:
      if (elementi != nullptr && v1 >= 0 && static_cast<size_t>(v1) < elementi->size()) {
        d = printf_string("\"%s\" (record %d)", utf8_from_1252(board_text(c, *elementi)).c_str(),
                          v1);
      } else {
        d = printf_string("text in record %d", v1);
      }
      break;
    default: break;
  }
  if (indice == 1) {
    if (!d.empty()) d += "; ";
    d += printf_string(
        "mark %d%s, plain contest code %d", v1,
        v1 == marca_celle ? "" : (" (" + std::to_string(marca_celle) + " expected)").c_str(), v2);
  }
  return d;
}

CodiciGara expected_codes(std::string_view numero_treno, std::string_view nome_scenario) {
  const std::string text = contest_text(numero_treno, nome_scenario);
  return CodiciGara{contest_sum(text), weighted_contest_sum(text)};
}

}  // namespace sc
