// The element table file (NAME_NUMBER.sim): the 87 records in index order,
// 34 + n bytes each, little-endian, no header:
//
//   tipo u8, inizio i32, fine i32, progressiva i32, dato_4 u8,
//   n u16, nome (n bytes, Windows-1252),
//   dato_7, dato_8, dato_10, dato_11, dato_12 i16,
//   dato_9, dato_13, dato_6, dato_5 u8, orario i32
//
// Record 85 carries the mark (dato_7) and the weighted contest code
// (orario); the roles of the records are those of model/percorso.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/percorso.h"

namespace sc {

constexpr size_t element_fixed_bytes = 34;  // a record without its name
constexpr size_t element_head_bytes = 16;   // tipo to the name length
constexpr size_t byte_elemento_coda = 18;   // dato_7 to orario
constexpr size_t max_name_length = 65535;
constexpr int16_t marca_elementi = 610;  // `dato_7` of record 85
// The sizes an element table can have: every name empty, every name as
// long as its length can say.
constexpr size_t min_element_bytes = numero_elementi * element_fixed_bytes;
constexpr size_t max_element_bytes = numero_elementi * (element_fixed_bytes + max_name_length);

// A `nome` longer than 65535 bytes (what the 2-byte length can say) is cut
// to 65535 bytes.
std::string serializza_elementi(const std::array<Elemento, numero_elementi>& elementi);

// Exactly 87 records and nothing after them; DecodeError otherwise.
std::array<Elemento, numero_elementi> decode_elements(std::string_view dati);

// Which records of an element table play which role: stations from record
// 1 upward (as long as records are not clear), board texts from record 80
// downward (as long as they are not clear and not stations), and the
// records that should be clear but are not (record 0, gaps in 1 to 80).
struct ElementRoles {
  int stazioni = 0;    // records 1 to stazioni
  int last_board = 0;  // board texts in records 80 down to this one; 0 for none
  std::vector<int> others;
};
ElementRoles element_roles(const std::array<Elemento, numero_elementi>& elementi);

}  // namespace sc
