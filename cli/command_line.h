// What every program's command line shares: the program's description,
// --version, the embedded run's options (--out, --sync, --force) and the
// wording of the usage errors, so that a helper program given the main
// program's arguments parses them as the main program would. Included by
// the one file of each program that defines its options (the only one that
// includes CLI11).
#pragma once

#include <CLI/CLI.hpp>

#include <iostream>
#include <string>

#include "cli/cli_comandi.h"
#include "output/stati_uscita.h"

namespace sc {

inline constexpr const char* descrizione_programma =
    "Compiles train-driving scenarios into the simulator's binary files.\n"
    "Without a command it runs the embedded scenario \"Corvale_Pravena AV\", train 409:\n"
    "shows \"Attendere\", writes its three documents and its three compiled files\n"
    "next to the program (or into --out DIR).";

// The help of --sync (the embedded run and compile).
inline constexpr const char* testo_sync =
    "Flush each file and its directory to disk before and after its rename (by default the files are\n"
    "replaced atomically but left to the system to write back, as a copy is)";

// The options of the embedded run, given without a command.
struct OpzioniRun {
  std::string out;
  OpzioniEsecuzione esecuzione;
  CLI::Option* opt_out = nullptr;
  CLI::Option* opt_sync = nullptr;
  CLI::Option* opt_force = nullptr;
};

inline void registra_run(CLI::App& app, OpzioniRun& r) {
  r.opt_out = app.add_option("--out", r.out,
                             "Run the embedded scenario with its files in DIR (created if missing)")
                  ->type_name("DIR");
  r.opt_sync = app.add_flag("--sync", r.esecuzione.modo.sync, testo_sync);
  r.opt_force = app.add_flag("--force", r.esecuzione.forza,
                             "Replace a line or train description in DIR that differs from the "
                             "embedded one (the run deletes it)");
}

// The program's own options, help and footer; the commands are added by
// the caller.
inline void prepara_programma(CLI::App& app, OpzioniRun& run) {
  app.set_version_flag("--version", std::string(nome_programma) + " " + program_version(),
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
  registra_run(app, run);
}

// A usage error for a run option given after a command, or --out without
// a directory; 0 when there is none.
inline int errore_opzioni_run(const OpzioniRun& r, bool con_comando) {
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
inline int errore_di_analisi(const CLI::App& app, const CLI::ParseError& e, int argc, char** argv) {
  const auto scelti = app.get_subcommands();
  if (scelti.empty() && dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr && argc > 1 &&
      argv[1][0] != '-') {
    return errore_di_uso(
        std::string("unknown command \"") + argv[1] +
        "\"; the commands are export, compile, check, inspect, plot, view, explain and decompile");
  }
  return errore_di_uso(scelti.empty() ? e.what() : scelti.front()->get_name() + ": " + e.what());
}

// Parses the command line and checks the run's options. Returns the status
// to end with when that is all (--help, --version, a usage error), or -1
// when the command is to run.
inline int analizza_riga(CLI::App& app, const OpzioniRun& run, int argc, char** argv) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);  // --help, --version: printed on standard output, status 0
  } catch (const CLI::ParseError& e) {
    return errore_di_analisi(app, e, argc, argv);
  }
  if (const int errore = errore_opzioni_run(run, !app.get_subcommands().empty())) return errore;
  return -1;
}

// The status of a command that has run: a failed write of its output on
// standard output makes it a write fault.
inline int fine_programma(int stato) {
  std::cout.flush();
  if (!std::cout) {
    std::cerr << nome_programma << ": cannot write to standard output" << std::endl;
    return stato_file_non_scritto;
  }
  return stato;
}

}  // namespace sc
