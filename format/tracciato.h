// The track plan file (NAME_linea.dat): column 0 of every row, then column
// 1; each value a 2-byte tag followed by its bytes, little-endian, no
// header. The writer is the compile's own (compiler/output_files.h), which
// streams the plan's memory; it follows these tags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/percorso.h"

namespace sc {

constexpr uint16_t tag_vuoto = 0;   // no value bytes
constexpr uint16_t tag_intero = 2;  // an i16
constexpr uint16_t tag_reale = 5;   // a double

// The value bytes after `tag`, or nothing for an unknown tag.
constexpr std::ptrdiff_t byte_dopo_tag(uint16_t tag) {
  return tag == tag_vuoto ? 0 : tag == tag_intero ? 2 : tag == tag_reale ? 8 : -1;
}

// The rows of the longest line's plan, and the bytes of such a plan of
// reals (a 2-byte tag and 8 bytes each).
constexpr size_t righe_tracciato_massime = static_cast<size_t>(lunghezza_massima + coda_linea) + 1;
constexpr size_t byte_tracciato_massimi = 2 * righe_tracciato_massime * 10;

// Two columns of equal length, at most righe_tracciato_massime rows; an
// empty file gives a plan without rows. DecodeError otherwise.
Tracciato decodifica_tracciato(std::string_view dati);

}  // namespace sc
