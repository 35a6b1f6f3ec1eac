// The plot command of scenario-compiler-plot: a picture of one compiled
// scenario, with the options as given on the command line.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace sc {

struct PlotArgs {
  std::vector<std::string> inputs;
  std::string output;
  std::optional<std::string> size;       // "WxH"
  std::optional<double> from_km, to_km;  // --from, --to
};
int cmd_plot(const PlotArgs& o, std::ostream& out, std::ostream& err);

}  // namespace sc
