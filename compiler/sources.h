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
struct KmReference {
  SourceLocation where;  // the entry's key
  std::string key;       // the key as written
  int32_t inizio, fine, third;
  SourceLocation first_at, second_at;  // its first and second value
};

// Working values handed from the line half to the train half.
struct ReadState {
  ReadState(Percorso& p_, FaultLog& log_, int32_t indice = first_board_record)
      : p(p_), log(log_), indice_cartelli(indice) {}
  Percorso& p;
  FaultLog& log;
  int32_t indice_cartelli = first_board_record;  // next free board-text record
  std::vector<KmReference> km_references;
  // Reading on after the fault that ended the parse, on a scratch model:
  // a faulty entry is skipped and the next one read, so that every fault is
  // found in one run.
  bool recovery = false;
};

}  // namespace sc
