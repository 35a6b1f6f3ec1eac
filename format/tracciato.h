// The track plan file (NAME_linea.dat): column 0 of every row, then column
// 1; each value a 2-byte tag followed by its bytes, little-endian, no
// header. The compile writes it with its own writer (compiler/mark_and_encode.h),
// which computes the rows while it writes; it follows these tags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/percorso.h"

namespace sc {

constexpr uint16_t empty_tag = 0;    // no value bytes
constexpr uint16_t integer_tag = 2;  // an i16
constexpr uint16_t real_tag = 5;     // a double

// The value bytes after `tag`, or nothing for an unknown tag.
constexpr std::ptrdiff_t bytes_after_tag(uint16_t tag) {
  return tag == empty_tag ? 0 : tag == integer_tag ? 2 : tag == real_tag ? 8 : -1;
}

// The file of a plan held in memory, every entry as its tag says; an
// integer entry outside the 16-bit range (which no plan holds) is written
// as 0. No rows: no bytes.
std::string serializza_tracciato(const Tracciato& t);

// The rows of the longest line's plan, and the bytes of such a plan of
// reals (a 2-byte tag and 8 bytes each).
constexpr size_t max_plan_rows = static_cast<size_t>(max_length + coda_linea) + 1;
constexpr size_t max_plan_bytes = 2 * max_plan_rows * 10;

// Two columns of equal length, at most max_plan_rows rows; an
// empty file gives a plan without rows. DecodeError otherwise.
Tracciato decode_plan(std::string_view dati);

}  // namespace sc
