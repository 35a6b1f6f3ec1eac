// scenario-compiler-plot: the plot command (Cairo). The main program hands
// the command to it.
#include "cli/cli.h"

int main(int argc, char** argv) {
  sc::Esecutori e;
  e.plot = sc::comando_plot;
  return sc::esegui_riga_di_comando(argc, argv, e);
}
