#include "output/exit_statuses.h"

namespace sc {

std::string exit_statuses_text() {
  std::string t = "Exit status:";
  for (const ExitStatus& s : exit_statuses) t += "\n  " + std::to_string(s.status) + "  " + s.brief;
  return t;
}

}  // namespace sc
