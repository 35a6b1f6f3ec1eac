// Diagnostics of a compile for standard error, in the form compilers use so
// that editors jump to them:
//
//   Corvale_Pravena AV_409-.txt:18:13: error: signal cell 71 already holds a signal (at 3500 m)
//   [E16] segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0
//               ^~~~
//
// `warning:` and `note:` likewise; the places a diagnostic points to
// besides its own follow it as notes. A diagnostic without a source line is
// one line: "FILE: error: ..." when it names its file, "error: ..."
// otherwise, with " (at P m)" when it has a position on the line that the
// message does not already give. One found after the fault that ended the
// reading says so after its code. Also as JSON (one array) and SARIF 2.1.0.
#pragma once

#include <string>

#include "compiler/fault.h"

namespace sc {

struct DiagnosticStyle {
  bool color = false;  // ANSI colours for a terminal
};

// One diagnostic, every line ended by "\n".
// "1 fault", "2 warnings": a count and its noun, in the plural when needed.
std::string count(size_t n, const char* what);

std::string formatta_fault(const Fault& f, const DiagnosticStyle& stile = {});

// Every diagnostic of the log, in the order found.
std::string formatta_faults(const FaultLog& log, const DiagnosticStyle& stile = {});

// Every diagnostic as one JSON array: objects with file, line, column,
// end_column, severity, code, message, notes (and position_m,
// after_first_fault).
std::string json_diagnostics(const FaultLog& log);

// The same as a SARIF 2.1.0 log with one run; `version` is the tool's.
std::string sarif_diagnostics(const FaultLog& log, const std::string& version);

// `s` as a JSON string literal, quotes included.
std::string json_string(const std::string& s);

// The error report's text: " Errore n. " immediately followed by `a` (the
// text begins with a blank).
std::string error_text(const std::string& a);

}  // namespace sc
