// The command line of scenario-compiler-plot: the main program's arguments,
// with plot's options. The main program hands plot to it.
#include <iostream>

#include "cli/command_line.h"
#include "cli/helpers.h"
#include "output/exit_statuses.h"
#include "plot/cmd_plot.h"

namespace sc {

int plot_main(int argc, char** argv) {
  CLI::App app{program_summary, program_name};
  RunCommandOptions run;
  prepare_program(app, run);

  PlotArgs options;
  PlotArgs* o = &options;
  CLI::App* sub = app.add_subcommand(plot_command.name, plot_command.summary);
  sub->add_option("DIR_OR_FILES", o->inputs,
                  "One directory holding one scenario, or its three files")
      ->required();
  sub->add_option("-o,--output", o->output, "Picture to write; .svg or .png")
      ->type_name("OUT")
      ->required();
  sub->add_option("--size", o->size, "Picture size in pixels (default 1600x1000)")
      ->type_name("WxH");
  sub->add_option("--from", o->from_km, "Profile from this kilometre (default: the start)")
      ->type_name("KM");
  sub->add_option("--to", o->to_km, "Profile to this kilometre (default: the end of the cells)")
      ->type_name("KM");
  sub->footer(exit_statuses_text());

  if (const int status = parse_command_line(app, run, argc, argv); status >= 0) return status;
  if (!app.got_subcommand(sub)) return helper_without_command(plot_command);
  return finish_program(cmd_plot(options, std::cout, std::cerr));
}

}  // namespace sc
