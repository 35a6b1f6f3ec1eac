// Writes the line and train descriptions of the generated large scenario.
//
//   sc-genera-scenario DIR [LENGTH]
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

#include "tests/support/scenario_grande.h"

namespace {

bool scrivi(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  f.close();
  if (!f) {
    std::cerr << "sc-genera-scenario: cannot write \"" << path << "\": " << std::strerror(errno) << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: sc-genera-scenario DIR [LENGTH]\n";
    return 2;
  }
  const std::string dir = argv[1];
  int32_t lunghezza = sc::test::lunghezza_grande;
  if (argc == 3) {
    char* end = nullptr;
    const long v = std::strtol(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0') {
      std::cerr << "sc-genera-scenario: LENGTH must be a whole number of metres\n";
      return 2;
    }
    lunghezza = static_cast<int32_t>(v);
  }
  try {
    const sc::test::ScenarioGenerato g = sc::test::genera_scenario(lunghezza);
    const std::string nome = sc::test::nome_grande;
    const std::string linea = dir + "/" + nome + "_linea.txt";
    const std::string treno = dir + "/" + nome + "_" + sc::test::treno_grande + "-.txt";
    if (!scrivi(linea, g.linea) || !scrivi(treno, g.treno)) return 1;
    std::cout << linea << "\n" << treno << "\n";
    std::cerr << "line " << lunghezza << " m: " << g.curve << " curves, " << g.stazioni.size() << " stations, "
              << g.segnali.size() << " signals, " << g.rallentamenti.size() << " restrictions\n";
  } catch (const std::exception& e) {
    std::cerr << "sc-genera-scenario: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
