#include "cli/cli.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <string>
#include <vector>

#include "cli/comando.h"
#include "output/stati_uscita.h"

#ifndef SC_VERSION
#error "SC_VERSION must be defined by the build (the project's version)"
#endif

namespace sc {

int errore_di_uso(const std::string& messaggio) {
  std::cerr << nome_programma << ": " << messaggio << "\nRun with --help for more information."
            << std::endl;
  return stato_uso;
}

namespace {

// The options of the embedded run, given without a command.
struct OpzioniRun {
  std::string out;
  OpzioniEsecuzione esecuzione;
  CLI::Option* opt_out = nullptr;
  CLI::Option* opt_sync = nullptr;
  CLI::Option* opt_force = nullptr;
};

void registra_run(CLI::App& app, OpzioniRun& r) {
  r.opt_out = app.add_option("--out", r.out,
                             "Run the embedded scenario with its files in DIR (created if missing)")
                  ->type_name("DIR");
  r.opt_sync = app.add_flag("--sync", r.esecuzione.modo.sync, testo_sync);
  r.opt_force = app.add_flag("--force", r.esecuzione.forza,
                             "Replace a line or train description in DIR that differs from the "
                             "embedded one (the run deletes it)");
}

// A usage error for a run option given after a command, or --out without
// a directory; 0 when there is none.
int errore_opzioni_run(const OpzioniRun& r, bool con_comando) {
  if (r.opt_out->count() > 0 && r.out.empty())
    return errore_di_uso("--out needs a directory name (\".\" for the current directory)");
  if (!con_comando) return 0;
  if (r.opt_out->count() > 0)
    return errore_di_uso("--out goes after the command, e.g. \"export --out DIR\"");
  if (r.opt_sync->count() > 0)
    return errore_di_uso("--sync goes after the command, e.g. \"compile LINE TRAIN --sync\"");
  if (r.opt_force->count() > 0)
    return errore_di_uso("--force goes after the command, e.g. \"export --force\"");
  return 0;
}

// The usage error of a command line the parser refused.
int errore_di_analisi(const CLI::App& app, const CLI::ParseError& e, int argc, char** argv) {
  const auto scelti = app.get_subcommands();
  if (scelti.empty() && dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr && argc > 1 &&
      argv[1][0] != '-') {
    return errore_di_uso(
        std::string("unknown command \"") + argv[1] +
        "\"; the commands are export, compile, check, inspect, plot, view, explain and decompile");
  }
  return errore_di_uso(scelti.empty() ? e.what() : scelti.front()->get_name() + ": " + e.what());
}

}  // namespace

int esegui_riga_di_comando(int argc, char** argv, const Esecutori& esecutori) {
  CLI::App app{
      "Compiles train-driving scenarios into the simulator's binary files.\n"
      "Without a command it runs the embedded scenario \"Corvale_Pravena AV\", train 409:\n"
      "shows \"Attendere\", writes its three documents and its three compiled files\n"
      "next to the program (or into --out DIR).",
      nome_programma};
  app.set_version_flag("--version", std::string(nome_programma) + " " + SC_VERSION,
                       "Print the version and exit");
  app.footer(
      std::string("Start a scenario of your own from the embedded one:\n"
                  "  scenario-compiler export --out mine\n"
                  "  (edit the two descriptions in mine/, then)\n"
                  "  scenario-compiler compile 'mine/Corvale_Pravena AV_linea.txt' "
                  "'mine/Corvale_Pravena AV_409-.txt' --out mine\n"
                  "Run 'scenario-compiler COMMAND --help' for the options of a command.\n\n") +
      testo_stati_uscita());
  app.require_subcommand(0, 1);

  OpzioniRun run;
  registra_run(app, run);

  const std::vector<Comando> comandi{
      registra_export(app),
      registra_compile(app, /*solo_controllo=*/false),
      registra_compile(app, /*solo_controllo=*/true),
      registra_inspect(app, esecutori, argv),
      registra_plot(app, esecutori, argv),
      registra_decompile(app),
      registra_view(app, argv),
      registra_explain(app),
  };

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);  // --help, --version: printed on standard output, status 0
  } catch (const CLI::ParseError& e) {
    return errore_di_analisi(app, e, argc, argv);
  }
  if (const int errore = errore_opzioni_run(run, !app.get_subcommands().empty())) return errore;

  int stato = -1;
  for (const Comando& c : comandi) {
    if (app.got_subcommand(c.sub)) stato = c.esegui();
  }
  if (stato < 0) {
    if (run.opt_out->count() > 0) {
      stato = esecutori.esegui ? esecutori.esegui(run.out, run.esecuzione, std::cerr)
                               : esegui_ausiliario("run", argv);
    } else {
      stato = esecutori.avvia ? esecutori.avvia(run.esecuzione) : esegui_ausiliario("run", argv);
    }
  }

  std::cout.flush();
  if (!std::cout) {
    std::cerr << nome_programma << ": cannot write to standard output" << std::endl;
    return stato_file_non_scritto;
  }
  return stato;
}

}  // namespace sc
