// One picture of a compiled scenario: the plan view of the track above a
// profile along the line (speed limit, gradient, tunnels, stations,
// signals, restrictions, cab codes), drawn with Cairo as SVG or PNG.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "model/percorso.h"

namespace sc {

// The three compiled files of one scenario.
struct FileCompilati {
  std::filesystem::path celle;      // NAME_NUMBER.dat
  std::filesystem::path elementi;   // NAME_NUMBER.sim
  std::filesystem::path tracciato;  // NAME_linea.dat
};

// From one directory (which must hold exactly one scenario) or from the
// three files named by their suffixes. std::invalid_argument naming the
// files when they are missing, doubled or belong to several scenarios.
FileCompilati trova_file_scenario(const std::vector<std::filesystem::path>& ingressi);

struct ScenarioCompilato {
  std::vector<Cella> celle;
  std::array<Elemento, numero_elementi> elementi{};
  Tracciato tracciato;
};

// Reads and decodes the three files; a DecodeError names the file.
ScenarioCompilato leggi_scenario(const FileCompilati& file);

struct OpzioniPlot {
  int larghezza = 1600;  // pixels (SVG: points)
  int altezza = 1000;
};

// Draws the scenario into `uscita`; the format follows its suffix, ".svg"
// or ".png" (any case). std::invalid_argument for another suffix or a size
// outside 400x300 to 10000x10000; std::runtime_error when the file cannot
// be written.
void disegna_scenario(const ScenarioCompilato& scenario, const std::filesystem::path& uscita,
                      const OpzioniPlot& opzioni = {});

// The same picture as the bytes of an SVG (`svg`) or PNG file, written
// nowhere. std::invalid_argument for a size out of range, std::runtime_error
// when drawing fails.
std::string disegna_in_memoria(const ScenarioCompilato& scenario, const OpzioniPlot& opzioni, bool svg);

// trova_file_scenario, leggi_scenario and disegna_scenario in one.
void plot_scenario(const std::vector<std::filesystem::path>& ingressi,
                   const std::filesystem::path& uscita, const OpzioniPlot& opzioni = {});

}  // namespace sc
