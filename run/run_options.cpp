// The command line of scenario-compiler-run: the main program's arguments
// without a command, the embedded run's options. The main program hands
// the run to it.
#include <iostream>

#include "cli/command_line.h"
#include "cli/helpers.h"
#include "run/cmd_run.h"
#include "run/run_scenario.h"

namespace sc {

int run_main(int argc, char** argv) {
  CLI::App app{program_summary, program_name};
  RunCommandOptions run;
  prepare_program(app, run);

  if (const int status = parse_command_line(app, run, argc, argv); status >= 0) return status;
  const int status = run.opt_out->count() > 0 ? cmd_run(run.out, run.run_options, std::cerr)
                                             : start_program(run.run_options);
  return finish_program(status);
}

}  // namespace sc
