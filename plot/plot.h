// One picture of a compiled scenario: the plan view of the track above a
// profile along the line (speed limit, gradient, tunnels, stations,
// signals, restrictions, cab codes), drawn with Cairo as SVG or PNG.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
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
// three files named by their suffixes, by find_scenario_files with the
// track plan required.
FileCompilati trova_file_scenario(const std::vector<std::filesystem::path>& ingressi);

struct ScenarioCompilato {
  std::vector<Cella> celle;
  std::array<Elemento, numero_elementi> elementi{};
  Tracciato tracciato;
};

// Reads and decodes the three files; a DecodeError names the file.
ScenarioCompilato leggi_scenario(const FileCompilati& file);

// Why the three files cannot come from one compile ("" when they can): their
// names (NAME_NUMBER.dat, NAME_NUMBER.sim, NAME_linea.dat), the identity in
// the element table against the contest code in cell 1, and the line length
// against the number of cells and of track plan rows; the contents only when
// cell 1 holds the compile's mark.
std::string scenari_diversi(const FileCompilati& file, const ScenarioCompilato& sc);

// Where the compile that wrote the cells stopped at a fault, in metres:
// every cell from there to the last the end fill reaches has speed 0 (a
// compile that ends normally fills the speed in force up to three cells
// before the last). Nothing when the speeds reach the end.
std::optional<double> arresto_compilazione(const std::vector<Cella>& celle);

struct OpzioniPlot {
  int larghezza = 1600;  // pixels (SVG: points)
  int altezza = 1000;
  // The stretch of the line the profile shows, in metres; the whole line
  // when not given.
  std::optional<double> da, a;
};

// Draws the scenario into `uscita`; the format follows its suffix, ".svg"
// (its texts kept as text elements) or ".png" (any case).
// std::invalid_argument for another suffix, a size outside 400x300 to
// 10000x10000 or a stretch outside the line; std::runtime_error when the
// file cannot be written.
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
