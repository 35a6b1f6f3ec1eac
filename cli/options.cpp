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
//   scenario-compiler diff OLD NEW        what changed between two versions
//   scenario-compiler lsp                 a language server for an editor
//
// Every command has --help; --version prints the version. Errors go to
// standard error; the exit statuses are those of exit_statuses.h.
//
// This program holds the commands that need only the standard library and
// the embedded run, and defines their options here (the run's status
// window is shown by a helper program). inspect, plot and view are helper
// programs (helpers.h), and so is lsp, each defining its own options:
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
#include "run/cmd_run.h"
#include "run/run_scenario.h"

namespace sc {
namespace {

// One command: its subcommand with its options, and what runs it once the
// arguments are parsed.
struct Command {
  CLI::App* sub;
  std::function<int()> run;
};

Command register_export(CLI::App& app, double& wait) {
  struct Options {
    std::string out = ".";
    bool force = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "export",
      "Write the embedded scenario's line and train description and its three documents, to edit");
  sub->add_option("--out", o->out, "Directory to write into (created if missing)")
      ->type_name("DIR")
      ->capture_default_str();
  sub->add_flag("--force", o->force, "Replace files of the same names");
  add_wait_option(sub, wait);
  sub->footer(exit_statuses_text());
  return {sub, [o] {
            if (o->out.empty())
              return usage_error("--out needs a directory name (\".\" for the current directory)");
            return cmd_export(o->out, o->force, std::cout, std::cerr);
          }};
}

Command register_compile(CLI::App& app, bool check_only, double& wait) {
  auto o = std::make_shared<CompileOptions>();
  o->check_only = check_only;
  CLI::App* sub =
      check_only
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
      "--watch", o->watch,
      "Run again on every save of either description, each result closed by a timestamped line; "
      "Ctrl-C ends it with status 0");
  sub->add_flag("--strict", o->strict,
                "Any warning makes the exit status 1 (for pre-commit hooks and CI)");
  sub->add_option("--color", o->color,
                  "Colour the diagnostics: auto (when standard error is a terminal and NO_COLOR is "
                  "not set), "
                  "always or never")
      ->check(CLI::IsMember({"auto", "always", "never"}))
      ->type_name("WHEN");
  sub->add_option("--diagnostics-format", o->format,
                  "Diagnostics on standard error as text, json (one array) or sarif (SARIF 2.1.0)")
      ->check(CLI::IsMember({"text", "json", "sarif"}))
      ->type_name("FORMAT");
  sub->add_option("--max-diagnostics", o->max_diagnostics,
                  "Show at most N diagnostics as text, then how many more there are (0: all; "
                  "json and sarif carry all)")
      ->capture_default_str()
      ->type_name("N");
  sub->footer(
      "The scenario name and train number come from --name and --train, or else from\n"
      "the file names when they follow the rule NAME_linea.txt and NAME_NUMBER-.txt.\n"
      "Diagnostics are reported as FILE:LINE:COL: error: MESSAGE [E16] (warning:, note:\n"
      "likewise), with the line and a caret under the field; 'scenario-compiler explain CODE'\n"
      "tells what a code means.\n\n" +
      exit_statuses_text());
  if (!check_only) {
    sub->add_option("--out", o->out, "Directory for the compiled files (created if missing)")
        ->type_name("DIR")
        ->capture_default_str();
    sub->add_flag("--no-plan", o->without_tracciato,
                  "Compile without the track plan (mode 0): no NAME_linea.dat");
    sub->add_flag("--sync", o->sync, sync_help);
    add_wait_option(sub, wait);
  }
  return {sub, [o] {
            if (o->out.empty())
              return usage_error("--out needs a directory name (\".\" for the current directory)");
            return cmd_compile(*o, std::cout, std::cerr);
          }};
}

Command register_decompile(CLI::App& app, double& wait) {
  auto o = std::make_shared<DecompileOptions>();
  CLI::App* sub = app.add_subcommand("decompile",
                                     "Write the line and train description of a compiled scenario, "
                                     "checked to compile to the same files");
  sub->add_option(
         "DIR_OR_FILES", o->inputs,
         "One directory holding one scenario, or its compiled files (the track plan is optional)")
      ->required();
  sub->add_option("--out", o->out, "Directory to write into (created if missing)")
      ->type_name("DIR");
  sub->add_flag("--force", o->replace, "Replace files of the same names");
  add_wait_option(sub, wait);
  sub->footer(exit_statuses_text());
  return {sub, [o] {
            if (o->out.empty())
              return usage_error("--out needs a directory name (\".\" for the current directory)");
            return cmd_decompile(*o, std::cout, std::cerr);
          }};
}

Command register_diff(CLI::App& app) {
  auto o = std::make_shared<DiffOptions>();
  CLI::App* sub = app.add_subcommand(
      "diff",
      "Show what changed between two versions of a scenario, descriptions or compiled files, "
      "entry by entry");
  sub->add_option("OLD", o->old_side,
                  "The older version: a directory holding one scenario's descriptions or compiled "
                  "files, or one file of it (the others are found beside it by their names)")
      ->required()
      ->type_name("DIR_OR_FILE");
  sub->add_option("NEW", o->new_side, "The newer version, given the same way")
      ->required()
      ->type_name("DIR_OR_FILE");
  sub->add_flag("--json", o->json, "Write the changes as one JSON object, for tools");
  sub->add_flag("--stat", o->stat, "One line per kind of entry: how many added, removed, changed");
  sub->footer(
      "Descriptions are compiled in memory and compiled files decompiled; entries are matched\n"
      "by kind and position (stations by name), so reordering and reformatting show nothing.\n"
      "Exit status 0: the two compile to the same bytes; 1: they differ; 2: a side cannot be\n"
      "read.\n\n" +
      exit_statuses_text());
  return {sub, [o] {
            if (o->json && o->stat) return usage_error("diff: give --json or --stat, not both");
            return cmd_diff(*o, std::cout, std::cerr);
          }};
}

Command register_explain(CLI::App& app) {
  struct Options {
    std::optional<std::string> codice;
    bool listing = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "explain",
      "Explain a fault, warning or note code: what it means, the rule, the fix, an example");
  sub->add_option("CODE", o->codice, "The code as reported: E16 (or 16), W3, N1")
      ->type_name("CODE");
  sub->add_flag("--list", o->listing, "List every code with its title");
  sub->footer(
      "The codes point to sections of docs/format.md, the reference of the description "
      "format.\n\n" +
      exit_statuses_text());
  return {sub, [o] {
            if (!o->codice && !o->listing)
              return usage_error("explain: give a CODE (such as E16 or W3) or --list");
            return cmd_explain(o->codice, o->listing, std::cout, std::cerr);
          }};
}

// A command of a helper program: its name and summary only; every
// argument after it goes to the helper, --help too.
CLI::App* register_helper(CLI::App& app, const HelperCommand& c) {
  CLI::App* sub = app.add_subcommand(c.name, c.summary);
  sub->prefix_command();
  sub->set_help_flag();
  return sub;
}

}  // namespace

int run_command_line(int argc, char** argv) {
  CLI::App app{program_summary, program_name};
  RunCommandOptions run;
  prepare_program(app, run);

  const std::vector<Command> commands{
      register_export(app, run.wait),
      register_compile(app, /*check_only=*/false, run.wait),
      register_compile(app, /*check_only=*/true, run.wait),
  };
  CLI::App* inspect = register_helper(app, inspect_command);
  CLI::App* plot = register_helper(app, plot_command);
  const std::vector<Command> others{register_decompile(app, run.wait), register_diff(app)};
  CLI::App* view = register_helper(app, view_command);
  CLI::App* lsp = register_helper(app, lsp_command);
  const Command explain = register_explain(app);

  // inspect and plot: their helper judges the whole command line, its
  // faults included.
  auto helper = [&]() -> const char* {
    if (app.got_subcommand(inspect)) return inspect_command.name;
    if (app.got_subcommand(plot)) return plot_command.name;
    return nullptr;
  };
  add_version_flags(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    if (const char* nome = helper()) return run_helper(nome, argv);
    return app.exit(e);  // --help, --version: printed on standard output, status 0
  } catch (const CLI::ParseError& e) {
    if (const char* nome = helper()) return run_helper(nome, argv);
    return parse_error(app, e, argc, argv);
  }
  if (const char* nome = helper()) return run_helper(nome, argv);
  if (const int errore = run_options_error(run, !app.get_subcommands().empty())) return errore;
  wait_for_folders(run.wait);

  int status = -1;
  for (const std::vector<Command>* v : {&commands, &others}) {
    for (const Command& c : *v) {
      if (app.got_subcommand(c.sub)) status = c.run();
    }
  }
  if (app.got_subcommand(explain.sub)) status = explain.run();
  if (app.got_subcommand(view)) status = run_helper(view_command.name, argv);
  if (app.got_subcommand(lsp)) status = run_helper(lsp_command.name, argv);
  if (status < 0) {
    // The embedded run, with --out DIR or without arguments.
    status = run.opt_out->count() > 0 ? cmd_run(run.out, run.run_options, std::cerr)
                                      : start_program(run.run_options);
  }
  return finish_program(status);
}

}  // namespace sc
