#include "compiler/celle.h"

#include <stdexcept>

namespace sc {
namespace {

thread_local CellWatch* observer = nullptr;

}  // namespace

CellWatch::CellWatch() {
  if (observer) return;
  observer = this;
  active_ = true;
}

CellWatch::~CellWatch() {
  if (active_) observer = nullptr;
}

void CellWatch::see(int32_t indice, const Cella& c) {
  for (const SeenCell& v : seen_) {
    if (v.indice == indice) return;
  }
  seen_.push_back({indice, c});
}

bool changed_cell(const Cella& a, const Cella& b) {
  return a.tipo != b.tipo || a.valore_1 != b.valore_1 || a.valore_2 != b.valore_2 ||
         a.valore_3 != b.valore_3 || a.valore_4 != b.valore_4 || a.tempo != b.tempo;
}

Cella& cella_a(Percorso& p, double indice, const std::string& role) {
  if (!within_cells(p, indice)) {
    throw std::out_of_range(role + " " + std::to_string(static_cast<int64_t>(indice)) +
                            " lies outside cells 0.." + std::to_string(p.last_cell()));
  }
  Cella& c = p.celle[static_cast<size_t>(indice)];
  if (observer) observer->see(static_cast<int32_t>(indice), c);
  return c;
}

std::string cell_outside(int64_t indice, int32_t last) {
  return "cell " + std::to_string(indice) +
         (indice < 0 ? ", before the first cell"
                     : ", beyond the last cell " + std::to_string(last));
}

std::string cell_content(uint8_t tipo) {
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
