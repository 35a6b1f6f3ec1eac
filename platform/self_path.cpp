#include "platform/self_path.h"

#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace sc::platform {

std::string executable_folder() {
  // readlink does not terminate the text and truncates silently: grow the
  // buffer until the whole target fits.
  std::vector<char> buf(256);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0)
      throw std::system_error(errno, std::generic_category(), "cannot resolve /proc/self/exe");
    if (static_cast<size_t>(n) < buf.size()) {
      std::string exe(buf.data(), static_cast<size_t>(n));
      const size_t slash = exe.rfind('/');
      if (slash == std::string::npos)
        throw std::runtime_error("executable path without a directory: " + exe);
      // The root directory keeps its one separator ("//name" is still a
      // valid path).
      return slash == 0 ? std::string("/") : exe.substr(0, slash);
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace sc::platform
