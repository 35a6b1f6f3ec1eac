// The command line of scenario-compiler-run: the main program's arguments
// without a command, the embedded run's options. The main program hands
// the run to it.
#include <iostream>

#include "cli/command_line.h"
#include "cli/helpers.h"
#include "run/cmd_esegui.h"
#include "run/esegui_scenario.h"

namespace sc {

int run_main(int argc, char** argv) {
  CLI::App app{descrizione_programma, nome_programma};
  OpzioniRun run;
  prepara_programma(app, run);

  if (const int stato = analizza_riga(app, run, argc, argv); stato >= 0) return stato;
  const int stato = run.opt_out->count() > 0 ? comando_esegui(run.out, run.esecuzione, std::cerr)
                                             : avvia_programma(run.esecuzione);
  return fine_programma(stato);
}

}  // namespace sc
