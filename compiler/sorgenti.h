// The two description files of a compile and the state shared by the two
// halves of their parse.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/fault.h"
#include "model/percorso.h"

namespace sc {

struct Sorgenti {
  std::string linea;  // path of the line description
  std::string treno;  // path of the train description
  // Delete each file once it has been read. True only for the program's own
  // copies (the embedded run); an author's files are never touched.
  bool elimina = true;
};

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
