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
//
// Every command has --help; --version prints the version. Errors go to
// standard error; the exit statuses are those of cli_comandi.h.
#pragma once

namespace sc {

// Parses the arguments, runs the command and returns the exit status.
int esegui_riga_di_comando(int argc, char** argv);

}  // namespace sc
