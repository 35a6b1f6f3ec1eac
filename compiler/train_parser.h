// The train half of the description parse.
#pragma once

#include "compiler/field_reader.h"
#include "compiler/sources.h"

namespace sc {

// Reads the train description from `r` into the model, after the line half.
// Faults are recorded in the model and the log; read failures are thrown as
// ParseFailure.
void read_train(ReadState& s, FieldReader& r);

}  // namespace sc
