// The command line of scenario-compiler-inspect: the main program's
// arguments, with inspect's options. The main program hands inspect to it.
#include <iostream>

#include "cli/command_line.h"
#include "cli/helpers.h"
#include "esamina/programma_esamina.h"
#include "output/stati_uscita.h"

namespace sc {

int inspect_main(int argc, char** argv) {
  CLI::App app{descrizione_programma, nome_programma};
  OpzioniRun run;
  prepara_programma(app, run);

  OpzioniInspectRiga opzioni;
  OpzioniInspectRiga* o = &opzioni;
  CLI::App* sub = app.add_subcommand(inspect_command.name, inspect_command.summary);
  sub->add_option("FILE", o->file, "Compiled file")->required();
  sub->add_flag("--json", o->json, "Print JSON instead of text");
  sub->add_option("--cells", o->celle, "Cells file: only cells FROM to TO (either may be left out)")
      ->type_name("FROM:TO");
  sub->add_option("--km", o->km,
                  "Cells file: only what the description places from FROM to TO km (decimals allowed); "
                  "stretches cut to it")
      ->type_name("FROM:TO");
  sub->add_option("--only", o->solo,
                  "Cells file: only cells of these groups: signals, stations, restrictions, boards, codes; "
                  "tunnels (shown as stretches)")
      ->type_name("TYPE...")
      ->delimiter(',');
  sub->add_option("--every", o->ogni, "Track plan: every N-th row (and the last)")->type_name("N");
  sub->footer(testo_stati_uscita());

  if (const int stato = analizza_riga(app, run, argc, argv); stato >= 0) return stato;
  if (!app.got_subcommand(sub)) return esegui_ausiliario(run_helper, argv);
  return fine_programma(comando_inspect(opzioni, std::cout, std::cerr));
}

}  // namespace sc
