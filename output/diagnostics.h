// Faults of a compile as text for standard error, in the form compilers use:
//
//   Corvale_Pravena AV_409-.txt:18: error 16: signal cell 71 already holds a signal (at 3500 m)
//   segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0
//               ^~~~
//
// A fault without a source line is one line: "error N: MESSAGE (at P m)" when
// it has a position on the line, "error N: MESSAGE" otherwise; one that names
// its file but no line starts with "FILE: ". The position is left out where
// the message already gives it ("... at 950 m ...").
#pragma once

#include <string>

#include "compiler/fault.h"

namespace sc {

// One fault, every line ended by "\n".
std::string formatta_fault(const Fault& f);

// Every fault of the log, in the order found.
std::string formatta_faults(const FaultLog& log);

// The error report's text: " Errore n. " immediately followed by `a` (the
// text begins with a blank).
std::string testo_errore(const std::string& a);

}  // namespace sc
