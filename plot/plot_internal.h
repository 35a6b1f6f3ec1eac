// The parts of the scenario picture, shared between the files that draw
// them: what the picture shows, gathered once from the compiled scenario,
// and the blocks of the page (plan view, legend, station list, profile).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plot/curve_piano.h"
#include "plot/plot.h"
#include "plot/plot_draw.h"

namespace sc::plot_detail {

// Cells are 50 m long.
constexpr double metri_cella = 50;

struct Stazione {
  int numero;
  std::string nome;  // UTF-8
  double inizio, fine, progressiva;
  int32_t orario;
};

struct Rallentamento {
  double da, a;
  int velocita;
};

struct Intervallo {
  double da, a;
};

struct Contenuto {
  std::string nome_scenario, numero_treno;
  double lunghezza_linea = 0;  // record 84, metres; 0 when unknown
  double inizio_profilo = 0;   // metres shown along the profile: from here
  double fine_profilo = 0;     // to here
  std::optional<double> arresto;  // where the compile stopped at a fault
  std::vector<Stazione> stazioni;
  std::vector<size_t> segnali, codici, cartelli_v, cartelli_testo, avvisi_rall;  // cell indices
  std::vector<Rallentamento> rallentamenti;
  std::vector<Intervallo> gallerie;  // metres
  std::vector<TrattoCurva> curve;     // from the plan, metres
  int vetture = 0, massa_frenata = 0, sabbia = 0;
  int ore = 0, minuti = 0, secondi = 0;
};

Contenuto raccogli(const ScenarioCompilato& sc);

// The warning written where a compile stopped at a fault.
std::string avviso_arresto(double metri);

// Draws the plan view in the box, left-aligned, and returns its right edge;
// with `solo_misura` draws nothing and only returns the edge.
double disegna_piano(Tela& t, const ScenarioCompilato& sc, const Contenuto& c, double bx0, double by0,
                     double bx1, double by1, bool solo_misura = false);

// The symbols from (x, y0) down to y1 at most; returns where the next
// block may start.
double disegna_legenda(Tela& t, double x, double y0, double y1);

// The stations with their times and the train's values, from (x, y0) down
// to y1 at most.
void disegna_info(Tela& t, const Contenuto& c, double x, double y0, double y1);

// Speed and gradient along the line in the box, with the marks between them.
void disegna_profilo(Tela& t, const ScenarioCompilato& sc, const Contenuto& c, double gx0, double gy0,
                     double gx1, double gy1);

}  // namespace sc::plot_detail
