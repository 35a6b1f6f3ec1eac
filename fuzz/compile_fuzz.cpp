// libFuzzer target. The whole compile of a (line, train) pair held in
// memory, with the properties of fuzz_checks.h: a fault recorded or the
// compiled files complete, the cells file 15 x (U + 1) bytes, the element
// table 87 records.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::string fault = sc::fuzz::check_compilation(in);
  if (!fault.empty()) {
    std::fprintf(stderr, "property violated: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
