// Where the running program is.
#pragma once

#include <string>

namespace sc::platform {

// The directory that holds the running executable (resolved from
// /proc/self/exe), without a trailing separator. Throws std::system_error
// when it cannot be resolved.
std::string executable_folder();

}  // namespace sc::platform
