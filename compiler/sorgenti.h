// The two description files of a compile and the state shared by the two
// halves of their parse.
#pragma once

#include <cstdint>
#include <string>

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

// Working values handed from the line half to the train half.
struct StatoLettura {
  Percorso& p;
  FaultLog& log;
  int32_t indice_cartelli = record_primo_cartello;  // next free board-text record
};

}  // namespace sc
