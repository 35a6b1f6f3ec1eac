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
#include "plot/compact_plan.h"

namespace sc {

// The three compiled files of one scenario.
struct CompiledPaths {
  std::filesystem::path celle;      // NAME_NUMBER.dat
  std::filesystem::path elementi;   // NAME_NUMBER.sim
  std::filesystem::path tracciato;  // NAME_linea.dat
};

// From one directory (which must hold exactly one scenario) or from the
// three files named by their suffixes, by find_scenario_files with the
// track plan required.
CompiledPaths find_scenario_files(const std::vector<std::filesystem::path>& inputs);

struct CompiledScenario {
  std::vector<Cella> celle;
  std::array<Elemento, numero_elementi> elementi{};
  CompactPlan tracciato;  // held as its steps: a long line's rows are not
};

// Reads and decodes the three files; a DecodeError names the file.
CompiledScenario read_scenario(const CompiledPaths& file);

// Why the three files cannot come from one compile ("" when they can): their
// names (NAME_NUMBER.dat, NAME_NUMBER.sim, NAME_linea.dat), the identity in
// the element table against the contest code in cell 1, and the line length
// against the number of cells and of track plan rows; the contents only when
// cell 1 holds the compile's mark.
std::string different_scenarios(const CompiledPaths& file, const CompiledScenario& sc);

// What tells that the files may not be of one compile without refusing
// them (a station stop in the cells that the element table places
// elsewhere, a track plan written well before the cells), one line each,
// naming the file.
std::vector<std::string> mixed_set_warnings(const CompiledPaths& file, const CompiledScenario& sc);

// Where the compile that wrote the cells stopped at a fault, in metres:
// every cell from there to the last the end fill reaches has speed 0 (a
// compile that ends normally fills the speed in force up to three cells
// before the last). Nothing when the speeds reach the end.
std::optional<double> compile_stop(const std::vector<Cella>& celle);

struct PlotOptions {
  int width = 1600;  // pixels (SVG: points)
  int height = 1000;
  // The stretch of the line the profile shows, in metres; the whole line
  // when not given.
  std::optional<double> from, a;
};

// Draws the scenario into `output`; the format follows its suffix, ".svg"
// (its texts kept as text elements) or ".png" (any case).
// std::invalid_argument for another suffix, a size outside 400x300 to
// 10000x10000 or a stretch outside the line; std::runtime_error when the
// file cannot be written.
void draw_scenario(const CompiledScenario& scenario, const std::filesystem::path& output,
                   const PlotOptions& options = {});

// The same picture as the bytes of an SVG (`svg`) or PNG file, written
// nowhere. std::invalid_argument for a size out of range, std::runtime_error
// when drawing fails.
std::string draw_in_memory(const CompiledScenario& scenario, const PlotOptions& options, bool svg);

// find_scenario_files, read_scenario and draw_scenario in one.
void plot_scenario(const std::vector<std::filesystem::path>& inputs,
                   const std::filesystem::path& output, const PlotOptions& options = {});

}  // namespace sc
