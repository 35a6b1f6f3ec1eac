// scenario-compiler-plot: the plot command (Cairo). The main program hands
// the command to it.
#include "cli/cli.h"

int main(int argc, char** argv) {
  sc::Esecutori e;
  e.plot = sc::comando_plot;
  return sc::esegui_riga_di_comando(argc, argv, e);
}

// Cairo's text drawing keeps a few fontconfig patterns for the life of the
// process, allocated inside fontconfig where LeakSanitizer cannot see the
// pointers that hold them. Used only by sanitizer builds.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
