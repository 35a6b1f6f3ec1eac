// The embedded run with --out DIR.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/shared_inputs.h"

namespace sc {

// The embedded run, with its files in `dir`, and the status window.
int cmd_run(const std::string& dir, const RunOptions& o, std::ostream& err);

}  // namespace sc
