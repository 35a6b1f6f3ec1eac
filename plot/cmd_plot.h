// The plot command of scenario-compiler-plot: a picture of one compiled
// scenario, with the options as given on the command line.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace sc {

struct OpzioniPlotRiga {
  std::vector<std::string> ingressi;
  std::string uscita;
  std::optional<std::string> dimensioni;  // "WxH"
  std::optional<double> da_km, a_km;      // --from, --to
};
int comando_plot(const OpzioniPlotRiga& o, std::ostream& out, std::ostream& err);

}  // namespace sc
