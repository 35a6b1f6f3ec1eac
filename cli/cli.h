// The command line of scenario-compiler, in the manner of Linux tools:
//
//   scenario-compiler [--out DIR]         the embedded run (DIR in place of
//                                         the program's directory)
//   scenario-compiler export [--out DIR]  the embedded scenario's five text files
//   scenario-compiler compile LINE TRAIN  an author's descriptions, compiled
//   scenario-compiler check LINE TRAIN    the same, writing nothing
//   scenario-compiler inspect FILE        a compiled file shown as text or JSON
//   scenario-compiler plot DIR -o OUT     a picture of a compiled scenario
//   scenario-compiler explain CODE        what a fault or warning code means
//   scenario-compiler decompile DIR       a compiled scenario's descriptions
//
// Every command has --help; --version prints the version. Errors go to
// standard error; the exit statuses are those of stati_uscita.h.
//
// The main program holds the commands that need only the standard library.
// inspect (JSON), plot (Cairo) and the embedded run (FLTK, X11) are helper
// programs beside it, scenario-compiler-inspect, -plot and -run: each
// parses the same command line with the same table and runs its own
// command, so the main program never loads those libraries.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/cli_comandi.h"

namespace sc {

// The commands run by a helper program. A command left null is handed to
// its helper program beside this one, with the same arguments.
struct Esecutori {
  int (*inspect)(const OpzioniInspectRiga& o, std::ostream& out, std::ostream& err) = nullptr;
  int (*plot)(const OpzioniPlotRiga& o, std::ostream& out, std::ostream& err) = nullptr;
  // The embedded run with --out DIR, and without arguments.
  int (*esegui)(const std::string& dir, std::ostream& err) = nullptr;
  int (*avvia)() = nullptr;
};

// Parses the arguments, runs the command and returns the exit status.
int esegui_riga_di_comando(int argc, char** argv, const Esecutori& esecutori = {});

}  // namespace sc
