// plot's options. The command itself is the helper program
// scenario-compiler-plot (plot/), which links Cairo.
#include <iostream>

#include "cli/comando.h"
#include "output/stati_uscita.h"

namespace sc {

Comando registra_plot(CLI::App& app, const Esecutori& e, char** argv) {
  auto o = std::make_shared<OpzioniPlotRiga>();
  CLI::App* sub = app.add_subcommand("plot",
                                     "Draw a compiled scenario (plan view and profile) from its "
                                     "directory or its three compiled files");
  sub->add_option("DIR_OR_FILES", o->ingressi,
                  "One directory holding one scenario, or its three files")
      ->required();
  sub->add_option("-o,--output", o->uscita, "Picture to write; .svg or .png")->type_name("OUT")->required();
  sub->add_option("--size", o->dimensioni, "Picture size in pixels (default 1600x1000)")->type_name("WxH");
  sub->add_option("--from", o->da_km, "Profile from this kilometre (default: the start)")->type_name("KM");
  sub->add_option("--to", o->a_km, "Profile to this kilometre (default: the end of the cells)")->type_name("KM");
  sub->footer(testo_stati_uscita());
  const auto esegui = e.plot;
  return {sub, [o, esegui, argv] {
            return esegui ? esegui(*o, std::cout, std::cerr) : esegui_ausiliario("plot", argv);
          }};
}

}  // namespace sc
