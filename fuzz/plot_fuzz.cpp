// libFuzzer target: the scenario picture (SVG, drawn in memory) of three decoded files.
#include <cstdio>
#include <cstdlib>

#include "fuzz/compiled_checks.h"

// Fontconfig, which Cairo asks for the fonts, keeps its cache until the
// process ends: not a leak of the picture.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::string fault = sc::fuzz::controlla_plot(in);
  if (!fault.empty()) {
    std::fprintf(stderr, "property violated: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
