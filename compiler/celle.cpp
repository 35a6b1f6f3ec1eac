#include "compiler/celle.h"

#include <stdexcept>

namespace sc {
namespace {

thread_local OsservaCelle* osservatore = nullptr;

}  // namespace

OsservaCelle::OsservaCelle() {
  if (osservatore) return;
  osservatore = this;
  attivo_ = true;
}

OsservaCelle::~OsservaCelle() {
  if (attivo_) osservatore = nullptr;
}

void OsservaCelle::vedi(int32_t indice, const Cella& c) {
  for (const Vista& v : viste_) {
    if (v.indice == indice) return;
  }
  viste_.push_back({indice, c});
}

bool cella_cambiata(const Cella& a, const Cella& b) {
  return a.tipo != b.tipo || a.valore_1 != b.valore_1 || a.valore_2 != b.valore_2 || a.valore_3 != b.valore_3 ||
         a.valore_4 != b.valore_4 || a.tempo != b.tempo;
}

Cella& cella_a(Percorso& p, double indice, const std::string& ruolo) {
  if (!entro_le_celle(p, indice)) {
    throw std::out_of_range(ruolo + " " + std::to_string(static_cast<int64_t>(indice)) +
                            " lies outside cells 0.." + std::to_string(p.ultima_cella()));
  }
  Cella& c = p.celle[static_cast<size_t>(indice)];
  if (osservatore) osservatore->vedi(static_cast<int32_t>(indice), c);
  return c;
}

std::string cella_fuori(int64_t indice, int32_t ultima) {
  return "cell " + std::to_string(indice) +
         (indice < 0 ? ", before the first cell" : ", beyond the last cell " + std::to_string(ultima));
}

std::string contenuto_cella(uint8_t tipo) {
  switch (tipo) {
    case tipo_cella::segnale: return "a signal";
    case tipo_cella::fine_rallentamento: return "a restriction end";
    case tipo_cella::inizio_rallentamento: return "a restriction start";
    case tipo_cella::avviso_rallentamento: return "a restriction warning board";
    case tipo_cella::approccio_rallentamento: return "a restriction approach cell";
    case tipo_cella::indicatori_v_max: return "a speed-indicator board";
    case tipo_cella::fermata: return "a station stop";
    case tipo_cella::codice: return "a cab code";
    case tipo_cella::codice_senza_velocita: return "a cab code without speed";
    case tipo_cella::cartello_indicatore: return "an indication board";
    default: return "element type " + std::to_string(tipo);
  }
}

}  // namespace sc
