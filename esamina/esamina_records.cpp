// What the values of a compiled file mean, for the text and the JSON alike:
// the names of cell types, what a cell's values say for its type, the
// fields of an element record, the contest codes an identity should carry,
// and the extent of a track plan.
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "format/compiled_decode.h"
#include "model/printf_string.h"
#include "format/posizioni.h"
#include "esamina/esamina_internal.h"
#include "compiler/codici_gara.h"

namespace sc {

namespace inspect_detail {

std::string orario_testo(int64_t secondi) {
  const char* segno = secondi < 0 ? "-" : "";
  const int64_t s = secondi < 0 ? -secondi : secondi;
  return printf_string("%s%" PRId64 ":%02" PRId64 ":%02" PRId64, segno, s / 3600, (s / 60) % 60, s % 60);
}

#define SC_CAMPO(nome) CampoElemento{#nome, [](const Elemento& e) -> int64_t { return e.nome; }}
const std::array<CampoElemento, 16> campi_elemento = {
    SC_CAMPO(tipo),    SC_CAMPO(inizio),  SC_CAMPO(fine),    SC_CAMPO(progressiva),
    SC_CAMPO(dato_4),  CampoElemento{"nome", nullptr},       SC_CAMPO(dato_7),
    SC_CAMPO(dato_8),  SC_CAMPO(dato_10), SC_CAMPO(dato_11), SC_CAMPO(dato_12),
    SC_CAMPO(dato_9),  SC_CAMPO(dato_13), SC_CAMPO(dato_6),  SC_CAMPO(dato_5),
    SC_CAMPO(orario),
};
#undef SC_CAMPO

const CampoElemento& campo_elemento(std::string_view campo) {
  for (const CampoElemento& c : campi_elemento) {
    if (c.campo == campo) return c;
  }
  throw std::out_of_range("no element field " + std::string(campo));
}

Sommario sommario(const Tracciato& t) {
  Sommario s;
  bool primo = true;
  for (int32_t i = 0; i < t.righe(); ++i) {
    const Numero& cx = t.colonna(0)[static_cast<size_t>(i)];
    const Numero& cy = t.colonna(1)[static_cast<size_t>(i)];
    if (cx.tag == Numero::Tag::vuoto || cy.tag == Numero::Tag::vuoto) continue;
    s.ultima_piena = i;
    // Copies: the values lie unaligned in the packed records, where no
    // reference (std::min takes two) may bind to them.
    const double x = cx.valore, y = cy.valore;
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    if (primo) {
      s.xmin = s.xmax = x;
      s.ymin = s.ymax = y;
      primo = false;
    }
    s.xmin = std::min(s.xmin, x);
    s.xmax = std::max(s.xmax, x);
    s.ymin = std::min(s.ymin, y);
    s.ymax = std::max(s.ymax, y);
  }
  return s;
}

}  // namespace inspect_detail


int64_t metri_cella(const Cella& c, size_t indice, const std::array<Elemento, numero_elementi>* elementi) {
  if (c.tipo == tipo_cella::fermata && elementi != nullptr && c.valore_1 > 0 &&
      static_cast<size_t>(c.valore_1) < elementi->size()) {
    return (*elementi)[static_cast<size_t>(c.valore_1)].progressiva;
  }
  return metri_descrizione(c, indice);
}

std::string dettaglio_cella(const Cella& c, size_t indice, const std::array<Elemento, numero_elementi>* elementi) {
  std::string d;
  const int v1 = c.valore_1, v2 = c.valore_2, v3 = c.valore_3, v4 = c.valore_4;
  switch (c.tipo) {
    case tipo_cella::segnale: {
      const int lati = v4 % 10;
      d = printf_string("left %d (%d/%d/%d), right %d (%d/%d/%d), rapp %d", lati / 3, v1 / 10, v2 / 10,
              v3 / 10, lati % 3, v1 % 10, v2 % 10, v3 % 10, v4 / 10);
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
      d = printf_string("left %d/%d/%d km/h, right %d/%d/%d km/h, stripes %d/%d", velocita_sinistra(v1), velocita_sinistra(v2),
              velocita_sinistra(v3), velocita_destra(v1), velocita_destra(v2), velocita_destra(v3), v4 / 10, v4 % 10);
      break;
    case tipo_cella::fermata:
      d = printf_string("station %d", v1);
      if (elementi != nullptr && v1 > 0 && static_cast<size_t>(v1) < elementi->size()) {
        const Elemento& e = (*elementi)[static_cast<size_t>(v1)];
        d += printf_string(" \"%s\" at %d m, from %d to %d m, time %s", utf8_da_1252(e.nome).c_str(), e.progressiva,
                 e.inizio, e.fine, inspect_detail::orario_testo(e.orario).c_str());
      }
      break;
    case tipo_cella::codice: d = printf_string("%d km/h", v1); break;
    case tipo_cella::cartello_indicatore:
      if (elementi != nullptr && v1 >= 0 && static_cast<size_t>(v1) < elementi->size()) {
        d = printf_string("\"%s\" (record %d)", utf8_da_1252(testo_cartello(c, *elementi)).c_str(), v1);
      } else {
        d = printf_string("text in record %d", v1);
      }
      break;
    default: break;
  }
  if (indice == 1) {
    if (!d.empty()) d += "; ";
    d += printf_string("mark %d%s, plain contest code %d", v1,
             v1 == marca_celle ? "" : (" (" + std::to_string(marca_celle) + " expected)").c_str(), v2);
  }
  return d;
}

CodiciGara codici_attesi(std::string_view numero_treno, std::string_view nome_scenario) {
  const std::string testo = testo_gara(numero_treno, nome_scenario);
  return CodiciGara{somma_gara(testo), somma_pesata_gara(testo)};
}

}  // namespace sc
