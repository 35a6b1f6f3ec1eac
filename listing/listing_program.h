// The inspect command of scenario-compiler-inspect: one compiled file shown
// as text or JSON, with the options as given on the command line.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace sc {

struct InspectArgs {
  std::string file;
  bool json = false;
  std::optional<std::string> celle;  // "FROM:TO"
  std::optional<std::string> km;     // "FROM:TO" in kilometres
  std::vector<std::string> only;     // group names
  std::optional<int> every;
};
int cmd_inspect(const InspectArgs& o, std::ostream& out, std::ostream& err);

}  // namespace sc
