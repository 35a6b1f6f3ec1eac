// plot: a picture of one compiled scenario, SVG or PNG.
#include <charconv>
#include <ostream>
#include <stdexcept>

#include "cli/shared_inputs.h"
#include "format/compiled_decode.h"
#include "output/terminal_text.h"
#include "plot/cmd_plot.h"
#include "plot/plot.h"

namespace sc {
namespace {

// "WxH" as two whole numbers; std::invalid_argument otherwise.
PlotOptions size_from_text(const std::string& text) {
  const size_t x = text.find_first_of("xX");
  PlotOptions o;
  auto numero = [&](std::string_view s, int& v) {
    const auto [fine, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && fine == s.data() + s.size() && !s.empty();
  };
  if (x == std::string::npos || !numero(std::string_view(text).substr(0, x), o.width) ||
      !numero(std::string_view(text).substr(x + 1), o.height)) {
    throw std::invalid_argument("--size \"" + text + "\" is not WIDTHxHEIGHT, e.g. 1600x1000");
  }
  return o;
}

}  // namespace

int cmd_plot(const PlotArgs& o, std::ostream& out, std::ostream& err) {
  for (const std::string& input : o.inputs) {
    for (const std::string& reason : {unreadable(input, true), half_replaced(input)}) {
      if (reason.empty()) continue;
      err << program_name << ": " << terminal_text(reason) << std::endl;
      return status_usage;
    }
  }
  PlotOptions options;
  CompiledScenario scenario;
  std::vector<std::string> warnings;
  try {
    if (o.size) options = size_from_text(*o.size);
    if (o.from_km) options.from = *o.from_km * 1000;
    if (o.to_km) options.a = *o.to_km * 1000;
    const std::vector<std::filesystem::path> inputs(o.inputs.begin(), o.inputs.end());
    const CompiledPaths file = find_scenario_files(inputs);
    scenario = read_scenario(file);
    if (const std::string different = different_scenarios(file, scenario); !different.empty()) {
      throw std::invalid_argument("the files are not of one scenario: " + different);
    }
    warnings = mixed_set_warnings(file, scenario);
  } catch (const std::exception& e) {
    // A usage error, a malformed file (DecodeError names it) or one that
    // cannot be read: all are faults of the input.
    err << program_name << ": " << terminal_text(e.what()) << std::endl;
    return status_usage;
  }
  for (const std::string& w : warnings) {
    err << program_name << ": warning: the files may not be of one compile: " << terminal_text(w)
        << std::endl;
  }
  try {
    draw_scenario(scenario, o.output, options);
  } catch (const std::invalid_argument& e) {
    err << program_name << ": " << terminal_text(e.what()) << std::endl;
    return status_usage;
  } catch (const std::exception& e) {
    err << program_name << ": " << terminal_text(e.what()) << std::endl;
    return status_file_not_written;
  }
  if (const std::optional<double> m = compile_stop(scenario.celle)) {
    err << program_name
        << ": warning: the files come from a compile that stopped at a fault: no speed from "
        << *m / 1000 << " km on, and nothing after the fault is placed; the picture marks it"
        << std::endl;
  }
  out << "wrote " << terminal_text(o.output) << std::endl;
  return status_ok;
}

}  // namespace sc
