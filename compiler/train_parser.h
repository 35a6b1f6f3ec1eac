// The train half of the description parse.
#pragma once

#include "compiler/field_reader.h"
#include "compiler/sorgenti.h"

namespace sc {

// Reads the train description from `r` into the model, after the line half.
// Faults are recorded in the model and the log; read failures are thrown as
// ParseFailure.
void leggi_treno(StatoLettura& s, FieldReader& r);

}  // namespace sc
