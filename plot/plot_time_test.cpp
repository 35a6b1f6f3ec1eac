// The picture's time grows with what it shows, not with its square: cab
// codes whose numbers are placed against the others, restriction starts
// paired with the end after them. Measured in processor time, on more cells than a file can
// hold, so that a quadratic step would stand out from the drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>

#include "plot/plot.h"

namespace sc {
namespace {

double cpu_process() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The least processor time of two drawings: a drawing the machine
// delays says nothing about the program.
double cpu_drawing(const CompiledScenario& sc) {
  double minimo = 1e9;
  for (int i = 0; i < 2; ++i) {
    const double before = cpu_process();
    const std::string png = draw_in_memory(sc, PlotOptions{400, 300, {}, {}}, false);
    minimo = std::min(minimo, cpu_process() - before);
    EXPECT_GT(png.size(), 0u);
  }
  return minimo;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr size_t celle_base = 10000;
#else
constexpr size_t celle_base = 40000;
#endif

// Every other cell a cab code at a speed of its own and the rest
// restriction starts that nothing ends; a straight plan as long, with 78
// stations along it.
CompiledScenario scenario_of(size_t celle) {
  CompiledScenario sc;
  sc.celle.resize(celle);
  for (size_t i = 0; i < celle; ++i) {
    Cella& c = sc.celle[i];
    c.tipo = i % 2 == 0 ? tipo_cella::codice : tipo_cella::inizio_rallentamento;
    c.valore_1 = static_cast<int16_t>(30 + (i * 37) % 270);
    c.velocita = 40;
  }
  const auto rows = static_cast<int32_t>(celle);
  Tracciato plan(rows - 1);
  for (int32_t i = 0; i < rows; ++i) {
    plan.column(0)[static_cast<size_t>(i)] = Numero::real(i);
    plan.column(1)[static_cast<size_t>(i)] = Numero::real(0);
  }
  sc.tracciato = plan;
  for (int k = 1; k <= 78; ++k) {
    Elemento& e = sc.elementi.at(static_cast<size_t>(k));
    e.nome = "STATION " + std::to_string(k);
    e.progressiva = static_cast<int32_t>(static_cast<size_t>(k) * celle / 80);
  }
  return sc;
}

TEST(PlotTime, GrowsLinearlyWithCabCodesAndRestrictions) {
  const double one = cpu_drawing(scenario_of(celle_base));
  const double twin = cpu_drawing(scenario_of(2 * celle_base));
  // Twice the input: about twice the time (a quadratic step would take
  // four times). Loose, so that a busy machine does not fail it.
  EXPECT_LT(twin, 3 * one + 0.02) << celle_base << " cells " << one << " s, " << 2 * celle_base
                                  << " cells " << twin << " s";
  std::cout << celle_base << " cells " << one << " s, " << 2 * celle_base << " cells " << twin
            << " s\n";
}

}  // namespace
}  // namespace sc
