// Starting another program.
#pragma once

#include <string>

namespace sc::platform {

// Replaces this process with the program at `path`, given `argv` (ended by
// a null pointer). Returns only on failure, with its errno.
int run_instead(const std::string& path, char** argv);

}  // namespace sc::platform
