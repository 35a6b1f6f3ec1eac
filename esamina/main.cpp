// scenario-compiler-inspect: the inspect command (JSON). The main program
// hands the command to it.
#include "cli/cli.h"

int main(int argc, char** argv) {
  sc::Esecutori e;
  e.inspect = sc::comando_inspect;
  return sc::esegui_riga_di_comando(argc, argv, e);
}
