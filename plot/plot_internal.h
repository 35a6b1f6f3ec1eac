// The parts of the scenario picture, shared between the files that draw
// them: what the picture shows, gathered once from the compiled scenario,
// and the blocks of the page (plan view, legend, station list, profile).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plot/plan_curves.h"
#include "plot/plot.h"
#include "plot/plot_draw.h"

namespace sc::plot_detail {

// Cells are 50 m long.
constexpr double cella_metres = 50;

// Where a cell starts along the line, in metres.
inline double metres(size_t cella) { return static_cast<double>(cella) * cella_metres; }

struct Stazione {
  int numero;
  std::string nome;  // UTF-8
  double inizio, fine, progressiva;
  int32_t orario;
};

struct Rallentamento {
  double from, a;
  int velocita;
};

struct Range {
  double from, a;
};

struct Content {
  std::string nome_scenario, numero_treno;
  double linea_length = 0;     // record 84, metres; 0 when unknown
  double profile_start = 0;    // metres shown along the profile: from here
  double profile_end = 0;      // to here
  std::optional<double> stop;  // where the compile stopped at a fault
  std::vector<Stazione> stazioni;
  std::vector<size_t> segnali, codes, cartelli_v, cartelli_text, avviso_cells;  // cell indices
  std::vector<Rallentamento> rallentamenti;
  std::vector<Range> tunnels;       // metres
  std::vector<CurvaStretch> curve;  // from the plan, metres
  int vetture = 0, massa_frenata = 0, sabbia = 0;
  int ore = 0, minutes = 0, seconds = 0;
};

Content collect(const CompiledScenario& sc);

// The warning written where a compile stopped at a fault.
std::string stop_warning(double metres);

// Draws the plan view in the box, left-aligned, and returns its right edge;
// with `measure_only` draws nothing and only returns the edge.
double draw_plan(Canvas& t, const CompiledScenario& sc, const Content& c, double bx0, double by0,
                 double bx1, double by1, bool measure_only = false);

// The symbols from (x, y0) down to y1 at most; returns where the next
// block may start.
double draw_legend(Canvas& t, double x, double y0, double y1);

// The stations with their times and the train's values, from (x, y0) down
// to y1 at most.
void draw_info(Canvas& t, const Content& c, double x, double y0, double y1);

// Speed and gradient along the line in the box, with the marks between them.
void draw_profile(Canvas& t, const CompiledScenario& sc, const Content& c, double gx0, double gy0,
                  double gx1, double gy1);

}  // namespace sc::plot_detail
