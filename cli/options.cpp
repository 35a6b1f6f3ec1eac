// The command line of scenario-compiler, in the manner of Linux tools:
//
//   scenario-compiler [--out DIR]         the embedded run (DIR in place of
//                                         the program's directory)
//   scenario-compiler export [--out DIR]  the embedded scenario's five text files
//   scenario-compiler compile LINE TRAIN  an author's descriptions, compiled
//   scenario-compiler check LINE TRAIN    the same, writing nothing
//   scenario-compiler inspect FILE        a compiled file shown as text or JSON
//   scenario-compiler plot DIR -o OUT     a picture of a compiled scenario
//   scenario-compiler explain CODE        what a fault or warning code means
//   scenario-compiler decompile DIR       a compiled scenario's descriptions
//
// Every command has --help; --version prints the version. Errors go to
// standard error; the exit statuses are those of stati_uscita.h.
//
// This program holds the commands that need only the standard library and
// defines their options here. inspect, plot, view and the embedded run are
// helper programs beside it (helpers.h), each defining its own options:
// once the parser has seen one of their commands, the whole command line
// goes to the helper, which parses it again (its --help and usage errors
// included).
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/helpers.h"

namespace sc {
namespace {

// One command: its subcommand with its options, and what runs it once the
// arguments are parsed.
struct Comando {
  CLI::App* sub;
  std::function<int()> esegui;
};

Comando registra_export(CLI::App& app) {
  struct Opzioni {
    std::string out = ".";
    bool forza = false;
  };
  auto o = std::make_shared<Opzioni>();
  CLI::App* sub = app.add_subcommand(
      "export", "Write the embedded scenario's line and train description and its three documents, to edit");
  sub->add_option("--out", o->out, "Directory to write into (created if missing)")->type_name("DIR")->capture_default_str();
  sub->add_flag("--force", o->forza, "Replace files of the same names");
  sub->footer(testo_stati_uscita());
  return {sub, [o] {
            if (o->out.empty()) return errore_di_uso("--out needs a directory name (\".\" for the current directory)");
            return comando_export(o->out, o->forza, std::cout, std::cerr);
          }};
}

Comando registra_compile(CLI::App& app, bool solo_controllo) {
  auto o = std::make_shared<OpzioniCompile>();
  o->solo_controllo = solo_controllo;
  CLI::App* sub =
      solo_controllo
          ? app.add_subcommand(
                "check",
                "Compile a line and a train description and report the faults, writing nothing")
          : app.add_subcommand(
                "compile",
                "Compile a line and a train description into NAME_linea.dat, NAME_NUMBER.sim and "
                "NAME_NUMBER.dat");
  sub->add_option("LINE", o->linea, "Line description file (only read)")
      ->required()
      ->type_name("FILE");
  sub->add_option("TRAIN", o->treno, "Train description file (only read)")
      ->required()
      ->type_name("FILE");
  sub->add_option("--name", o->nome, "Scenario name (nome_scenario)")->type_name("NAME");
  sub->add_option("--train", o->numero, "Train number (numero_treno)")->type_name("NUMBER");
  sub->add_flag(
      "--watch", o->osserva,
      "Run again on every save of either description, each result closed by a timestamped line; "
      "Ctrl-C ends it with status 0");
  sub->add_flag("--strict", o->rigoroso,
                "Any warning makes the exit status 1 (for pre-commit hooks and CI)");
  sub->add_option("--color", o->colore,
                  "Colour the diagnostics: auto (when standard error is a terminal and NO_COLOR is "
                  "not set), "
                  "always or never")
      ->check(CLI::IsMember({"auto", "always", "never"}))
      ->type_name("WHEN");
  sub->add_option("--diagnostics-format", o->formato,
                  "Diagnostics on standard error as text, json (one array) or sarif (SARIF 2.1.0)")
      ->check(CLI::IsMember({"text", "json", "sarif"}))
      ->type_name("FORMAT");
  sub->footer(
      "The scenario name and train number come from --name and --train, or else from\n"
      "the file names when they follow the rule NAME_linea.txt and NAME_NUMBER-.txt.\n"
      "Diagnostics are reported as FILE:LINE:COL: error: MESSAGE [E16] (warning:, note:\n"
      "likewise), with the line and a caret under the field; 'scenario-compiler explain CODE'\n"
      "tells what a code means.\n\n" +
      testo_stati_uscita());
  if (!solo_controllo) {
    sub->add_option("--out", o->out, "Directory for the compiled files (created if missing)")
        ->type_name("DIR")
        ->capture_default_str();
    sub->add_flag("--no-plan", o->senza_tracciato,
                  "Compile without the track plan (mode 0): no NAME_linea.dat");
    sub->add_flag("--sync", o->sync, testo_sync);
  }
  return {
      sub, [o] {
        if (o->out.empty())
          return errore_di_uso("--out needs a directory name (\".\" for the current directory)");
        return comando_compile(*o, std::cout, std::cerr);
      }};
}

Comando registra_decompile(CLI::App& app) {
  auto o = std::make_shared<OpzioniDecompile>();
  CLI::App* sub = app.add_subcommand("decompile",
                                     "Write the line and train description of a compiled scenario, "
                                     "checked to compile to the same files");
  sub->add_option(
         "DIR_OR_FILES", o->ingressi,
         "One directory holding one scenario, or its compiled files (the track plan is optional)")
      ->required();
  sub->add_option("--out", o->out, "Directory to write into (created if missing)")
      ->type_name("DIR");
  sub->add_flag("--force", o->sostituisci, "Replace files of the same names");
  sub->footer(testo_stati_uscita());
  return {
      sub, [o] {
        if (o->out.empty())
          return errore_di_uso("--out needs a directory name (\".\" for the current directory)");
        return comando_decompile(*o, std::cout, std::cerr);
      }};
}

Comando registra_explain(CLI::App& app) {
  struct Opzioni {
    std::optional<std::string> codice;
    bool elenco = false;
  };
  auto o = std::make_shared<Opzioni>();
  CLI::App* sub = app.add_subcommand(
      "explain", "Explain a fault, warning or note code: what it means, the rule, the fix, an example");
  sub->add_option("CODE", o->codice, "The code as reported: E16 (or 16), W3, N1")->type_name("CODE");
  sub->add_flag("--list", o->elenco, "List every code with its title");
  sub->footer("The codes point to sections of docs/format.md, the reference of the description format.\n\n" +
              testo_stati_uscita());
  return {sub, [o] {
            if (!o->codice && !o->elenco) return errore_di_uso("explain: give a CODE (such as E16 or W3) or --list");
            return comando_explain(o->codice, o->elenco, std::cout, std::cerr);
          }};
}

// A command of a helper program: its name and summary only; every
// argument after it goes to the helper, --help too.
CLI::App* registra_ausiliario(CLI::App& app, const HelperCommand& c) {
  CLI::App* sub = app.add_subcommand(c.name, c.summary);
  sub->prefix_command();
  sub->set_help_flag();
  return sub;
}

}  // namespace

int esegui_riga_di_comando(int argc, char** argv) {
  CLI::App app{descrizione_programma, nome_programma};
  OpzioniRun run;
  prepara_programma(app, run);

  const std::vector<Comando> comandi{
      registra_export(app),
      registra_compile(app, /*solo_controllo=*/false),
      registra_compile(app, /*solo_controllo=*/true),
  };
  CLI::App* inspect = registra_ausiliario(app, inspect_command);
  CLI::App* plot = registra_ausiliario(app, plot_command);
  const std::vector<Comando> altri{registra_decompile(app)};
  CLI::App* view = registra_ausiliario(app, view_command);
  const Comando explain = registra_explain(app);

  // inspect and plot: their helper judges the whole command line, its
  // faults included.
  auto aiutante = [&]() -> const char* {
    if (app.got_subcommand(inspect)) return inspect_command.name;
    if (app.got_subcommand(plot)) return plot_command.name;
    return nullptr;
  };
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    if (const char* nome = aiutante()) return esegui_ausiliario(nome, argv);
    return app.exit(e);  // --help, --version: printed on standard output, status 0
  } catch (const CLI::ParseError& e) {
    if (const char* nome = aiutante()) return esegui_ausiliario(nome, argv);
    return errore_di_analisi(app, e, argc, argv);
  }
  if (const char* nome = aiutante()) return esegui_ausiliario(nome, argv);
  if (const int errore = errore_opzioni_run(run, !app.get_subcommands().empty())) return errore;

  int stato = -1;
  for (const std::vector<Comando>* v : {&comandi, &altri}) {
    for (const Comando& c : *v) {
      if (app.got_subcommand(c.sub)) stato = c.esegui();
    }
  }
  if (app.got_subcommand(explain.sub)) stato = explain.esegui();
  if (app.got_subcommand(view)) stato = esegui_ausiliario(view_command.name, argv);
  if (stato < 0) {
    // The embedded run, with --out DIR or without arguments.
    stato = esegui_ausiliario(run_helper, argv);
  }
  return fine_programma(stato);
}

}  // namespace sc
