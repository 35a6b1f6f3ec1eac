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

#include <cstddef>
#include <iosfwd>
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

// The first `limit` diagnostics of the log (all of them when `limit` is 0),
// in the order found, written to `out` one by one; returns how many were
// not shown.
size_t write_text_diagnostics(const FaultLog& log, const DiagnosticStyle& stile, size_t limit,
                              std::ostream& out);

// How many diagnostics the text output shows unless told otherwise.
inline constexpr size_t default_max_diagnostics = 200;

// Every diagnostic as one JSON array: objects with file, line, column,
// end_column, severity, code, message, notes (and position_m,
// after_first_fault).
std::string json_diagnostics(const FaultLog& log);
// The same written to `out` object by object, never held as one document.
void write_json_diagnostics(const FaultLog& log, std::ostream& out);

// The same as a SARIF 2.1.0 log with one run; `version` is the tool's.
std::string sarif_diagnostics(const FaultLog& log, const std::string& version);
// The same written to `out` result by result.
void write_sarif_diagnostics(const FaultLog& log, const std::string& version, std::ostream& out);

// `s` as a JSON string literal, quotes included.
std::string json_string(const std::string& s);

// The error report's text: " Errore n. " immediately followed by `a` (the
// text begins with a blank).
std::string error_text(const std::string& a);

}  // namespace sc
