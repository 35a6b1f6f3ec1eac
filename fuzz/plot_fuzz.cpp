// libFuzzer target: the scenario picture (SVG, drawn in memory) of three decoded files.
#include <cstdio>
#include <cstdlib>

#include "fuzz/compiled_checks.h"

// Fontconfig's lasting cache is kept out of the leak checker by the plot
// library itself (plot/plot.cpp).

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::string fault = sc::fuzz::check_plot(in);
  if (!fault.empty()) {
    std::fprintf(stderr, "property violated: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
