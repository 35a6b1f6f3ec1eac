// The command line of scenario-compiler-plot: the main program's arguments,
// with plot's options. The main program hands plot to it.
#include <iostream>

#include "cli/command_line.h"
#include "cli/helpers.h"
#include "output/stati_uscita.h"
#include "plot/cmd_plot.h"

namespace sc {

int plot_main(int argc, char** argv) {
  CLI::App app{descrizione_programma, nome_programma};
  OpzioniRun run;
  prepara_programma(app, run);

  OpzioniPlotRiga opzioni;
  OpzioniPlotRiga* o = &opzioni;
  CLI::App* sub = app.add_subcommand(plot_command.name, plot_command.summary);
  sub->add_option("DIR_OR_FILES", o->ingressi,
                  "One directory holding one scenario, or its three files")
      ->required();
  sub->add_option("-o,--output", o->uscita, "Picture to write; .svg or .png")->type_name("OUT")->required();
  sub->add_option("--size", o->dimensioni, "Picture size in pixels (default 1600x1000)")->type_name("WxH");
  sub->add_option("--from", o->da_km, "Profile from this kilometre (default: the start)")->type_name("KM");
  sub->add_option("--to", o->a_km, "Profile to this kilometre (default: the end of the cells)")->type_name("KM");
  sub->footer(testo_stati_uscita());

  if (const int stato = analizza_riga(app, run, argc, argv); stato >= 0) return stato;
  if (!app.got_subcommand(sub)) return esegui_ausiliario(run_helper, argv);
  return fine_programma(comando_plot(opzioni, std::cout, std::cerr));
}

}  // namespace sc
