// The run sequence: the whole life of one run of the embedded scenario.
//
//   1. identity: nome_scenario "Corvale_Pravena AV", numero_treno "409";
//   2. the status window shows "Attendere";
//   3. the five writers, in order: dati_linea, dati_treno, dati_note,
//      dati_rallentamenti, dati_scheda, each file replaced whole;
//   4. the compile with j = 1: the line description read, then deleted, the
//      train description read, the two compiled in memory, then the train
//      description deleted (once the parse was done with it);
//   5. every fault found goes to standard error;
//   6. the compiled files it returns are written (track plan, element table,
//      cells), unless the reserved slots clashed (error report) or the parse
//      ended before the cells existed.
//
// The directory is locked from the first file written to the last, so two
// runs in one directory do not read each other's descriptions. A line or
// train description already in the directory that differs from the one the
// run would write (an author's edited copy) is not replaced, unless forced:
// the run would overwrite it and then delete it.
//
// Exit status: 0 compiled without fault; 1 compiled with faults, or nothing
// compiled (earlier compiled files left as they were); 3 error report
// (1250 or 1251, no compiled file touched); 4 a file could not be written,
// or a description in the way (nothing written).
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "cli/shared_inputs.h"
#include "compiler/compile_entry.h"
#include "compiler/fault.h"
#include "compiler/memorizza_percorso.h"
#include "model/percorso.h"
#include "output/embedded_scenario.h"
#include "output/exit_statuses.h"
#include "output/file_output.h"
#include "run/status_window.h"

namespace sc {

using Compiler = std::function<CompileResult(const CompileInput&)>;

// Runs the embedded scenario with its files in `dir` (no trailing
// separator) and returns the exit status. Diagnostics go to `err`.
int run_scenario(const std::string& dir, StatusWindow& ui, const Compiler& compile,
                 std::ostream& err, const RunOptions& o = {});

// The same with the real compiler and standard error.
int run_scenario(const std::string& dir, StatusWindow& ui, const RunOptions& o = {});

// The program: the run in the directory of the executable, with the status
// window (or standard error without a display). Returns the exit status.
int start_program(const RunOptions& o = {});

}  // namespace sc
