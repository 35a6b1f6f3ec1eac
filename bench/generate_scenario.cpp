// Writes the line and train descriptions of the generated large scenario.
//
//   sc-generate-scenario DIR [LENGTH]
//
// DIR/Linea_Lunga_linea.txt and DIR/Linea_Lunga_900-.txt, for a line of
// LENGTH metres (default 1000000). Prints the two paths, one a line.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

#include "tests/support/large_scenario.h"

namespace {

bool write(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  f.close();
  if (!f) {
    std::cerr << "sc-generate-scenario: cannot write \"" << path << "\": " << std::strerror(errno)
              << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: sc-generate-scenario DIR [LENGTH]\n";
    return 2;
  }
  const std::string dir = argv[1];
  int32_t lunghezza = sc::test::large_length;
  if (argc == 3) {
    char* end = nullptr;
    const long v = std::strtol(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0') {
      std::cerr << "sc-generate-scenario: LENGTH must be a whole number of metres\n";
      return 2;
    }
    lunghezza = static_cast<int32_t>(v);
  }
  try {
    const sc::test::GeneratedScenario g = sc::test::generate_scenario(lunghezza);
    const std::string nome = sc::test::large_name;
    const std::string linea = dir + "/" + nome + "_linea.txt";
    const std::string treno = dir + "/" + nome + "_" + sc::test::large_treno + "-.txt";
    if (!write(linea, g.linea) || !write(treno, g.treno)) return 1;
    std::cout << linea << "\n" << treno << "\n";
    std::cerr << "line " << lunghezza << " m: " << g.curve << " curves, " << g.stazioni.size()
              << " stations, " << g.segnali.size() << " signals, " << g.rallentamenti.size()
              << " restrictions\n";
  } catch (const std::exception& e) {
    std::cerr << "sc-generate-scenario: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
