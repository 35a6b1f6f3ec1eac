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

#include "cli/shared_inputs.h"
#include "output/exit_statuses.h"
#include "output/terminal_text.h"
#include "platform/folder_lock.h"

namespace sc {

inline constexpr const char* program_summary =
    "Compiles train-driving scenarios into the simulator's binary files.\n"
    "Without a command it runs the embedded scenario \"Corvale_Pravena AV\", train 409:\n"
    "shows \"Attendere\", writes its three documents and its three compiled files\n"
    "next to the program (or into --out DIR).";

// The help of --sync (the embedded run and compile).
inline constexpr const char* sync_help =
    "Flush each file and its directory to disk before and after its rename (by default the files "
    "are\n"
    "replaced atomically but left to the system to write back, as a copy is)";

// The help of --wait (every command that writes into a directory).
inline constexpr const char* wait_help =
    "When another run is writing into the directory, wait at most SECONDS for it, then give up "
    "with\n"
    "status 4, nothing written (by default the wait lasts until it is done; Ctrl-C ends it)";

// --wait SECONDS on `app`, into `seconds` (negative when not given).
inline CLI::Option* add_wait_option(CLI::App* app, double& seconds) {
  return app->add_option("--wait", seconds, wait_help)
      ->check(CLI::NonNegativeNumber)
      ->type_name("SECONDS");
}

// How this process waits for a directory another run is writing into: one
// line on standard error when the wait begins, the end after `seconds`
// (negative: none).
inline void wait_for_folders(double seconds) {
  platform::LockWaiting w = platform::lock_waiting();
  w.limit_seconds = seconds;
  w.on_wait = [](const std::string& dir, long holder) {
    std::cerr << program_name << ": waiting for another run writing into \"" << terminal_text(dir)
              << "\"" << (holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string())
              << " to finish; Ctrl-C ends the wait" << std::endl;
  };
  platform::set_lock_waiting(std::move(w));
}

// The options of the embedded run, given without a command.
struct RunCommandOptions {
  std::string out;
  RunOptions run_options;
  double wait = -1;
  CLI::Option* opt_out = nullptr;
  CLI::Option* opt_sync = nullptr;
  CLI::Option* opt_force = nullptr;
  CLI::Option* opt_wait = nullptr;
};

inline void register_run(CLI::App& app, RunCommandOptions& r) {
  r.opt_out = app.add_option("--out", r.out,
                             "Run the embedded scenario with its files in DIR (created if missing)")
                  ->type_name("DIR");
  r.opt_sync = app.add_flag("--sync", r.run_options.modo.sync, sync_help);
  r.opt_force = app.add_flag("--force", r.run_options.force,
                             "Replace a line or train description in DIR that differs from the "
                             "embedded one (the run deletes it)");
  r.opt_wait = add_wait_option(&app, r.wait);
}

// The program's own options, help and footer; the commands are added by
// the caller.
inline void prepare_program(CLI::App& app, RunCommandOptions& run) {
  app.set_version_flag("--version", version_text(),
                       "Print the version and the compiled files' layouts, and exit");
  app.footer(
      std::string("Start a scenario of your own from the embedded one:\n"
                  "  scenario-compiler export --out mine\n"
                  "  (edit the two descriptions in mine/, then)\n"
                  "  scenario-compiler compile 'mine/Corvale_Pravena AV_linea.txt' "
                  "'mine/Corvale_Pravena AV_409-.txt' --out mine\n"
                  "Run 'scenario-compiler COMMAND --help' for the options of a command.\n\n") +
      exit_statuses_text());
  app.require_subcommand(0, 1);
  register_run(app, run);
}

// --version on each command too, so that "compile --version" needs no LINE
// (a command whose arguments all go to a helper program is left to it).
inline void add_version_flags(CLI::App& app) {
  for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
    if (!sub->get_prefix_command())
      sub->set_version_flag("--version", version_text(),
                            "Print the version and the compiled files' layouts, and exit");
  }
}

// A usage error for a run option given after a command, or --out without
// a directory; 0 when there is none.
inline int run_options_error(const RunCommandOptions& r, bool with_command) {
  if (r.opt_out->count() > 0 && r.out.empty())
    return usage_error("--out needs a directory name (\".\" for the current directory)");
  if (!with_command) return 0;
  if (r.opt_out->count() > 0)
    return usage_error("--out goes after the command, e.g. \"export --out DIR\"");
  if (r.opt_sync->count() > 0)
    return usage_error("--sync goes after the command, e.g. \"compile LINE TRAIN --sync\"");
  if (r.opt_force->count() > 0)
    return usage_error("--force goes after the command, e.g. \"export --force\"");
  if (r.opt_wait->count() > 0)
    return usage_error("--wait goes after the command, e.g. \"compile LINE TRAIN --wait 10\"");
  return 0;
}

// The usage error of a command line the parser refused.
inline int parse_error(const CLI::App& app, const CLI::ParseError& e, int argc, char** argv) {
  const auto chosen = app.get_subcommands();
  if (chosen.empty() && dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr && argc > 1 &&
      argv[1][0] != '-') {
    return usage_error(
        std::string("unknown command \"") + argv[1] +
        "\"; the commands are export, compile, check, inspect, plot, view, explain and decompile");
  }
  return usage_error(chosen.empty() ? e.what() : chosen.front()->get_name() + ": " + e.what());
}

// Parses the command line and checks the run's options. Returns the status
// to end with when that is all (--help, --version, a usage error), or -1
// when the command is to run.
inline int parse_command_line(CLI::App& app, const RunCommandOptions& run, int argc, char** argv) {
  add_version_flags(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);  // --help, --version: printed on standard output, status 0
  } catch (const CLI::ParseError& e) {
    return parse_error(app, e, argc, argv);
  }
  if (const int errore = run_options_error(run, !app.get_subcommands().empty())) return errore;
  wait_for_folders(run.wait);
  return -1;
}

// The status of a command that has run: a failed write of its output on
// standard output makes it a write fault.
inline int finish_program(int status) {
  std::cout.flush();
  if (!std::cout) {
    std::cerr << program_name << ": cannot write to standard output" << std::endl;
    return status_file_not_written;
  }
  return status;
}

}  // namespace sc
