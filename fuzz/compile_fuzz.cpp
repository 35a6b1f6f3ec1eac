// libFuzzer target. The whole compile of a (line, train) pair read from two
// files in a directory of this process, with the properties of
// fuzz_checks.h: a fault recorded or the compiled files complete, the cells
// file 15 x (U + 1) bytes, the element table 87 records, both input files
// unchanged.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "fuzz/fuzz_checks.h"

namespace {

// Never destroyed, so the clean-up at exit can still use it.
const std::filesystem::path& cartella() {
  static const std::filesystem::path* dir = [] {
    auto* d = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                        ("sc-compile-fuzz-" + std::to_string(::getpid())));
    std::filesystem::create_directories(*d);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(cartella(), ec);
    });
    return d;
  }();
  return *dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::string fault = sc::fuzz::controlla_compilazione(in, cartella());
  if (!fault.empty()) {
    std::fprintf(stderr, "property violated: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
