// inspect's options. The command itself is the helper program
// scenario-compiler-inspect (inspect/), which links the JSON library.
#include <iostream>

#include "cli/comando.h"
#include "output/stati_uscita.h"

namespace sc {

Comando registra_inspect(CLI::App& app, const Esecutori& e, char** argv) {
  auto o = std::make_shared<OpzioniInspectRiga>();
  CLI::App* sub = app.add_subcommand("inspect",
                                     "Show a compiled file (cells .dat, element table .sim, track "
                                     "plan _linea.dat) as text or JSON");
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
  const auto esegui = e.inspect;
  return {sub, [o, esegui, argv] {
            return esegui ? esegui(*o, std::cout, std::cerr) : esegui_ausiliario("inspect", argv);
          }};
}

}  // namespace sc
