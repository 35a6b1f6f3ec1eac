#include "platform/run_program.h"

#include <unistd.h>

#include <cerrno>

namespace sc::platform {

int run_instead(const std::string& path, char** argv) {
  ::execv(path.c_str(), argv);
  return errno;
}

}  // namespace sc::platform
