// libFuzzer target: the element table decoder.
#include <cstdio>
#include <cstdlib>

#include "fuzz/compiled_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::string fault = sc::fuzz::check_elementi(in);
  if (!fault.empty()) {
    std::fprintf(stderr, "property violated: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
