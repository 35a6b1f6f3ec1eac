// The state shared by the two halves of the parse.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/fault.h"
#include "model/percorso.h"

namespace sc {

// A kilometre reference as its entry gave it, for the diagnostics that
// name it once the references have been put in order.
struct RiferimentoKm {
  SourceLocation where;  // the entry's key
  std::string chiave;    // the key as written
  int32_t inizio, fine, terzo;
};

// Working values handed from the line half to the train half.
struct StatoLettura {
  StatoLettura(Percorso& p_, FaultLog& log_, int32_t indice = record_primo_cartello)
      : p(p_), log(log_), indice_cartelli(indice) {}
  Percorso& p;
  FaultLog& log;
  int32_t indice_cartelli = record_primo_cartello;  // next free board-text record
  std::vector<RiferimentoKm> riferimenti_km;
  // Reading on after the fault that ended the parse, on a scratch model:
  // a faulty entry is skipped and the next one read, so that every fault is
  // found in one run.
  bool recupero = false;
};

}  // namespace sc
