// A generated scenario as large as the description format allows: the line
// and train descriptions of a line of up to 1000000 m, with a curve every
// 2 km, a gradient every 500 m, 80 tunnels, a signal every 1500 m, a speed
// restriction every 20 km and as many stations as the element table holds
// next to its indication boards. Every element is placed so that the compile
// records no fault.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sc::bench {

inline constexpr int32_t lunghezza_grande = 1000000;
inline constexpr const char* nome_grande = "Linea_Lunga";
inline constexpr const char* treno_grande = "900";

struct ScenarioGenerato {
  std::string linea;  // line description, CR LF line ends
  std::string treno;  // train description, CR LF line ends
  int stazioni = 0;
  int segnali = 0;
  int rallentamenti = 0;
  int curve = 0;
};

// One curve entry: its key ("curvad1", "curvas2" ...), start and length.
struct CurvaGenerata {
  std::string chiave;
  int32_t inizio = 0;
  int32_t lunghezza = 0;
};

// The curves of a line of `lunghezza` metres: one every 2 km over the whole
// line, right and left in turn, classes 1 to 3, each ending before the plan
// cursor limit.
std::vector<CurvaGenerata> curve_generate(int32_t lunghezza);

// `lunghezza` in metres: a multiple of 50, from 50000 to 1000000. Throws
// std::invalid_argument otherwise, or when an element finds no room.
ScenarioGenerato genera_scenario(int32_t lunghezza = lunghezza_grande);

}  // namespace sc::bench
