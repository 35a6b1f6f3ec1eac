// The embedded run with its files in a directory of the user's choice.
#include <ostream>

#include "cli/shared_inputs.h"
#include "run/cmd_run.h"
#include "run/run_scenario.h"

namespace sc {

int cmd_run(const std::string& dir, const RunOptions& o, std::ostream& err) {
  if (!prepare_dir(dir, err)) return status_file_not_written;
  std::unique_ptr<StatusWindow> ui = open_status_window();
  return run_scenario(dir, *ui, o);
}

}  // namespace sc
