// scenario-compiler-run: the embedded run, with its status window and error
// box (FLTK, X11). The main program hands the run to it.
#include "cli/cli.h"
#include "run/esegui_scenario.h"

int main(int argc, char** argv) {
  sc::Esecutori e;
  e.esegui = sc::comando_esegui;
  e.avvia = sc::avvia_programma;
  return sc::esegui_riga_di_comando(argc, argv, e);
}
