// A generated scenario as large as the description format allows, shared by
// the benchmark, the big-input tests and the pictures of the docs: the line
// and train descriptions of a line of up to 1000000 m, with a curve every
// 2 km, a gradient every 500 m, 80 tunnels, a signal every 1500 m, a speed
// restriction every 20 km and as many stations as the element table holds
// next to its indication boards. Every element is placed so that the compile
// records no fault.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sc::test {

inline constexpr int32_t large_length = 1000000;
inline constexpr const char* large_name = "Linea_Lunga";
inline constexpr const char* large_treno = "900";

struct GeneratedStazione {
  int32_t p = 0, tipo = 0, l = 0;  // position, type and length as written
  int32_t fermata = 0;             // the cell of its stop
};
struct GeneratedMontagna {
  int32_t inizio = 0, fine = 0, tipo = 0;
};

// The two descriptions and where their elements stand, in metres as written.
struct GeneratedScenario {
  std::string linea;  // line description, CR LF line ends
  std::string treno;  // train description, CR LF line ends
  std::vector<GeneratedStazione> stazioni;
  std::vector<int32_t> segnali;
  std::vector<int32_t> rallentamenti;  // starts; each is rallentamento_length long
  std::vector<GeneratedMontagna> tunnels;
  std::vector<int32_t> cartelli;  // indication boards
  int curve = 0;
};

inline constexpr int32_t rallentamento_length = 1000;
inline constexpr int32_t velocita_rallentamento = 60;
inline constexpr int32_t pendenze_step = 500;
// The gradient (per mille) of the stretch from pendenze_step * n.
inline int32_t generated_pendenza(int32_t n) { return (n * 7) % 25 - 12; }

// One curve entry: its key ("curvad1", "curvas2" ...), start and length.
struct GeneratedCurva {
  std::string key;
  int32_t inizio = 0;
  int32_t lunghezza = 0;
};

// The curves of a line of `lunghezza` metres: one every 2 km over the whole
// line, right and left in turn, classes 1 to 3, each ending before the plan
// cursor limit.
std::vector<GeneratedCurva> curve_generate(int32_t lunghezza);

// `lunghezza` in metres: a multiple of 50, from 50000 to 1000000. Throws
// std::invalid_argument otherwise, or when an element finds no room.
// `extra_stations` stations beyond what the element table holds make a
// description that fails at the first of them.
GeneratedScenario generate_scenario(int32_t lunghezza = large_length, int32_t extra_stations = 0);

}  // namespace sc::test
