#include "cli/cli.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/cli_comandi.h"
#include "run/esegui_scenario.h"

#ifndef SC_VERSION
#error "SC_VERSION must be defined by the build (the project's version)"
#endif

namespace sc {
namespace {

constexpr const char* stati_di_uscita =
    "Exit status:\n"
    "  0  compiled without fault (or the command did its work)\n"
    "  1  compiled, with faults reported on standard error\n"
    "  2  usage error, or an input file that cannot be read\n"
    "  3  reserved-slot clash (Errore n. 1250 or 1251): no compiled file written\n"
    "  4  an output file could not be written";

int errore_di_uso(const std::string& messaggio) {
  std::cerr << nome_programma << ": " << messaggio << "\nRun with --help for more information." << std::endl;
  return stato_uso;
}

}  // namespace

int esegui_riga_di_comando(int argc, char** argv) {
  CLI::App app{
      "Compiles train-driving scenarios into the simulator's binary files.\n"
      "Without a command it runs the embedded scenario \"Corvale_Pravena AV\", train 409:\n"
      "shows \"Attendere\", writes its three documents and its three compiled files\n"
      "next to the program (or into --out DIR).",
      nome_programma};
  app.set_version_flag("--version", std::string(nome_programma) + " " + SC_VERSION, "Print the version and exit");
  app.footer(std::string("Start a scenario of your own from the embedded one:\n"
                         "  scenario-compiler export --out mine\n"
                         "  (edit the two descriptions in mine/, then)\n"
                         "  scenario-compiler compile 'mine/Corvale_Pravena AV_linea.txt' "
                         "'mine/Corvale_Pravena AV_409-.txt' --out mine\n"
                         "Run 'scenario-compiler COMMAND --help' for the options of a command.\n\n") +
             stati_di_uscita);
  app.require_subcommand(0, 1);

  std::string out_esegui;
  CLI::Option* opt_out =
      app.add_option("--out", out_esegui, "Run the embedded scenario with its files in DIR (created if missing)")
          ->type_name("DIR");

  // export
  std::string out_export = ".";
  bool forza = false;
  CLI::App* export_ = app.add_subcommand(
      "export",
      "Write the embedded scenario's line and train description and its three documents, to edit");
  export_->add_option("--out", out_export, "Directory to write into (created if missing)")
      ->type_name("DIR")
      ->capture_default_str();
  export_->add_flag("--force", forza, "Replace files of the same names");
  export_->footer(stati_di_uscita);

  // compile and check
  OpzioniCompile compila;
  OpzioniCompile controlla;
  controlla.solo_controllo = true;
  const char* identita_help =
      "The scenario name and train number come from --name and --train, or else from\n"
      "the file names when they follow the rule NAME_linea.txt and NAME_NUMBER-.txt.\n"
      "Diagnostics are reported as FILE:LINE:COL: error: MESSAGE [E16] (warning:, note:\n"
      "likewise), with the line and a caret under the field.";
  CLI::App* compile = app.add_subcommand(
      "compile", "Compile a line and a train description into NAME_linea.dat, NAME_NUMBER.sim and NAME_NUMBER.dat");
  CLI::App* check =
      app.add_subcommand("check", "Compile a line and a train description and report the faults, writing nothing");
  for (auto [cmd, o] : {std::pair{compile, &compila}, std::pair{check, &controlla}}) {
    cmd->add_option("LINE", o->linea, "Line description file (only read)")->required()->type_name("FILE");
    cmd->add_option("TRAIN", o->treno, "Train description file (only read)")->required()->type_name("FILE");
    cmd->add_option("--name", o->nome, "Scenario name (nome_scenario)")->type_name("NAME");
    cmd->add_option("--train", o->numero, "Train number (numero_treno)")->type_name("NUMBER");
    cmd->add_flag("--strict", o->rigoroso, "Any warning makes the exit status 1 (for pre-commit hooks and CI)");
    cmd->add_option("--color", o->colore, "Colour the diagnostics: auto (when standard error is a terminal and "
                                          "NO_COLOR is not set), always or never")
        ->check(CLI::IsMember({"auto", "always", "never"}))
        ->type_name("WHEN");
    cmd->add_option("--diagnostics-format", o->formato,
                    "Diagnostics on standard error as text, json (one array) or sarif (SARIF 2.1.0)")
        ->check(CLI::IsMember({"text", "json", "sarif"}))
        ->type_name("FORMAT");
    cmd->footer(std::string(identita_help) + "\n\n" + stati_di_uscita);
  }
  compile->add_option("--out", compila.out, "Directory for the compiled files (created if missing)")
      ->type_name("DIR")
      ->capture_default_str();
  compile->add_flag("--no-plan", compila.senza_tracciato, "Compile without the track plan (mode 0): no NAME_linea.dat");

  // inspect
  OpzioniInspectRiga ispeziona;
  CLI::App* inspect = app.add_subcommand(
      "inspect", "Show a compiled file (cells .dat, element table .sim, track plan _linea.dat) as text or JSON");
  inspect->add_option("FILE", ispeziona.file, "Compiled file")->required();
  inspect->add_flag("--json", ispeziona.json, "Print JSON instead of text");
  inspect->add_option("--cells", ispeziona.celle, "Cells file: only cells FROM to TO (either may be left out)")
      ->type_name("FROM:TO");
  inspect->add_option("--only", ispeziona.solo,
                      "Cells file: only cells of these groups: signals, stations, restrictions, boards, codes, "
                      "tunnels")
      ->type_name("TYPE...")
      ->delimiter(',');
  inspect->add_option("--every", ispeziona.ogni, "Track plan: every N-th row (and the last)")->type_name("N");
  inspect->footer(stati_di_uscita);

  // plot
  OpzioniPlotRiga disegna;
  CLI::App* plot = app.add_subcommand(
      "plot", "Draw a compiled scenario (plan view and profile) from its directory or its three compiled files");
  plot->add_option("DIR_OR_FILES", disegna.ingressi, "One directory holding one scenario, or its three files")
      ->required();
  plot->add_option("-o,--output", disegna.uscita, "Picture to write; .svg or .png")->type_name("OUT")->required();
  plot->add_option("--size", disegna.dimensioni, "Picture size in pixels (default 1600x1000)")->type_name("WxH");
  plot->footer(stati_di_uscita);

  // decompile
  OpzioniDecompile decompila;
  CLI::App* decompile = app.add_subcommand(
      "decompile",
      "Write the line and train description of a compiled scenario, checked to compile to the same files");
  decompile->add_option("DIR_OR_FILES", decompila.ingressi,
                        "One directory holding one scenario, or its compiled files (the track plan is optional)")
      ->required();
  decompile->add_option("--out", decompila.out, "Directory to write into (created if missing)")->type_name("DIR");
  decompile->add_flag("--force", decompila.sostituisci, "Replace files of the same names");
  decompile->footer(stati_di_uscita);

  // explain
  std::optional<std::string> codice_spiega;
  bool elenco_codici = false;
  CLI::App* explain = app.add_subcommand(
      "explain", "Explain a fault, warning or note code: what it means, the rule, the fix, an example");
  explain->add_option("CODE", codice_spiega, "The code as reported: E16 (or 16), W3, N1")->type_name("CODE");
  explain->add_flag("--list", elenco_codici, "List every code with its title");
  explain->footer("The codes point to sections of docs/format.md, the reference of the description format.\n\n" +
                  std::string(stati_di_uscita));

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);  // --help, --version: printed on standard output, status 0
  } catch (const CLI::ParseError& e) {
    const std::vector<CLI::App*> comandi = app.get_subcommands();
    if (comandi.empty() && dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr && argc > 1 &&
        argv[1][0] != '-') {
      return errore_di_uso(std::string("unknown command \"") + argv[1] +
                           "\"; the commands are export, compile, check, inspect, plot, explain and decompile");
    }
    return errore_di_uso(comandi.empty() ? e.what() : comandi.front()->get_name() + ": " + e.what());
  }

  if ((opt_out->count() > 0 && out_esegui.empty()) || out_export.empty() || compila.out.empty() ||
      decompila.out.empty())
    return errore_di_uso("--out needs a directory name (\".\" for the current directory)");

  if (opt_out->count() > 0 && !app.get_subcommands().empty())
    return errore_di_uso("--out goes after the command, e.g. \"export --out DIR\"");

  int stato;
  if (app.got_subcommand(export_)) {
    stato = comando_export(out_export, forza, std::cout, std::cerr);
  } else if (app.got_subcommand(compile)) {
    stato = comando_compile(compila, std::cout, std::cerr);
  } else if (app.got_subcommand(check)) {
    stato = comando_compile(controlla, std::cout, std::cerr);
  } else if (app.got_subcommand(inspect)) {
    stato = comando_inspect(ispeziona, std::cout, std::cerr);
  } else if (app.got_subcommand(explain)) {
    if (!codice_spiega && !elenco_codici) return errore_di_uso("explain: give a CODE (such as E16 or W3) or --list");
    stato = comando_explain(codice_spiega, elenco_codici, std::cout, std::cerr);
  } else if (app.got_subcommand(plot)) {
    stato = comando_plot(disegna, std::cout, std::cerr);
  } else if (app.got_subcommand(decompile)) {
    stato = comando_decompile(decompila, std::cout, std::cerr);
  } else if (opt_out->count() > 0) {
    stato = comando_esegui(out_esegui, std::cerr);
  } else {
    stato = avvia_programma();
  }

  std::cout.flush();
  if (!std::cout) {
    std::cerr << nome_programma << ": cannot write to standard output" << std::endl;
    return stato_file_non_scritto;
  }
  return stato;
}

}  // namespace sc
