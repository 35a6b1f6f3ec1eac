// The line half of the description parse.
#pragma once

#include "compiler/field_reader.h"
#include "compiler/sorgenti.h"

namespace sc {

enum class EsitoLinea {
  continua,  // ended normally or with fault 15: the train description is read
  fine,      // a fault ended the parse
};

// Reads the line description from `r` into the model. Faults are recorded
// in the model and the log; read failures are thrown as ParseFailure.
EsitoLinea leggi_linea(StatoLettura& s, FieldReader& r);

}  // namespace sc
