// The line half of the description parse.
#pragma once

#include "compiler/field_reader.h"
#include "compiler/sources.h"

namespace sc {

enum class LineOutcome {
  continua,  // ended normally or with fault 15: the train description is read
  fine,      // a fault ended the parse
};

// Reads the line description from `r` into the model. Faults are recorded
// in the model and the log; read failures are thrown as ParseFailure.
LineOutcome read_line(ReadState& s, FieldReader& r);

}  // namespace sc
