// The command line of scenario-compiler-inspect: the main program's
// arguments, with inspect's options. The main program hands inspect to it.
#include <iostream>

#include "cli/command_line.h"
#include "cli/helpers.h"
#include "listing/listing_program.h"
#include "output/exit_statuses.h"

namespace sc {

int inspect_main(int argc, char** argv) {
  CLI::App app{program_summary, program_name};
  RunCommandOptions run;
  prepare_program(app, run);

  InspectArgs options;
  InspectArgs* o = &options;
  CLI::App* sub = app.add_subcommand(inspect_command.name, inspect_command.summary);
  sub->add_option("FILE", o->file, "Compiled file")->required();
  sub->add_flag("--json", o->json, "Print JSON instead of text");
  sub->add_option("--cells", o->celle, "Cells file: only cells FROM to TO (either may be left out)")
      ->type_name("FROM:TO");
  sub->add_option(
         "--km", o->km,
         "Cells file: only what the description places from FROM to TO km (decimals allowed); "
         "stretches cut to it")
      ->type_name("FROM:TO");
  sub->add_option(
         "--only", o->only,
         "Cells file: only cells of these groups: signals, stations, restrictions, boards, codes; "
         "tunnels (shown as stretches)")
      ->type_name("TYPE...")
      ->delimiter(',');
  sub->add_option("--every", o->every, "Track plan: every N-th row (and the last)")->type_name("N");
  sub->footer(exit_statuses_text());

  if (const int status = parse_command_line(app, run, argc, argv); status >= 0) return status;
  if (!app.got_subcommand(sub)) return helper_without_command(inspect_command);
  return finish_program(cmd_inspect(options, std::cout, std::cerr));
}

}  // namespace sc
