// The cells file (NAME_NUMBER.dat): every cell in index order, 15 bytes
// each, little-endian, no header:
//
//   tipo u8, valore_1..valore_4 i16, tempo, avviso, galleria, velocita,
//   pendenza, aderenza u8
//
// Cell 1 carries the mark (valore_1) and the plain contest code (valore_2).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/percorso.h"

namespace sc {

constexpr size_t byte_cella = 15;
constexpr int16_t marca_celle = 5121;  // `valore_1` of cell 1
// The cells of the longest line: U = (max_length + coda_linea) / 50.
constexpr size_t max_cells = static_cast<size_t>(max_length + coda_linea) / 50 + 1;

// The name of a cell type: "signal", "station stop", "cab code" ...;
// "unknown N" for a type no element gives.
std::string nome_tipo_cella(uint8_t tipo);

// The first cell of the stretch with no speed that runs to the last cell
// the end fill reaches (U - 3): the mark of a compile that stopped at a
// fault, which fills no speed after it. Nothing when the speed reaches the
// end, or for fewer than five cells.
std::optional<size_t> compile_stop_cell(const std::vector<Cella>& celle);

std::string serializza_celle(const std::vector<Cella>& celle);

// A field in which two cells differ: its name and each cell's value.
struct CellFieldDifference {
  const char* nome;
  int a, b;
};
// The fields in which `a` and `b` differ, in the order of the file's
// layout; none for equal cells.
std::vector<CellFieldDifference> differing_fields(const Cella& a, const Cella& b);

// A multiple of 15 bytes, at most max_cells cells; DecodeError
// (compiled_decode.h) otherwise.
std::vector<Cella> decode_cells(std::string_view dati);

}  // namespace sc
