// The last step of a compile: the reserved marks, the contest codes and the
// bytes of the three compiled files (packed little-endian, no header).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/memorizza_percorso.h"
#include "model/percorso.h"

namespace sc {

constexpr int16_t marca_elementi = 610;  // `dato_7` of record 85
constexpr int16_t marca_celle = 5121;    // `valore_1` of cell 1

// Mark step, then code step. The mark step refuses (errore_1250) when
// `dato_7` of record 85 or `valore_1` of cell 1 is already nonzero,
// otherwise stamps 610 and 5121. The code step refuses (errore_1251) when
// `orario` of record 85 or `valore_2` of cell 1 is already nonzero,
// otherwise stores the weighted contest code in `orario` of record 85 and
// then the plain one in `valore_2` of cell 1. Returns pronto when both ran.
// Needs cell 1 to exist.
Compilazione::Stato marca_e_codifica(Percorso& p);

// The buffer of each plan column while the plan file is written.
constexpr size_t byte_blocco_tracciato = 256 * 1024;

// Track plan file: column 0 of every row, then column 1; each element a
// 2-byte tag (0 empty, 2 16-bit integer, 5 double) followed by its value.
// The rows are computed while the content is written, through a buffer of
// `byte_blocco` bytes per column: the plan is never whole in memory. The
// content keeps its own copy of the steps. No plan: an empty content.
ContenutoFile contenuto_tracciato(const PassiTracciato& t, size_t byte_blocco = byte_blocco_tracciato);

// The size of one column of the track plan file.
uint64_t byte_colonna_tracciato(const PassiTracciato& t);

// Element table file: the 87 records in index order, 34 + n bytes each,
// n the length of the record's `nome`. A `nome` longer than 65535 bytes
// (what the 2-byte length can say) is cut to 65535 bytes.
std::string serializza_elementi(const std::array<Elemento, numero_elementi>& elementi);

// Cells file: every cell in index order, 15 bytes each.
std::string serializza_celle(const std::vector<Cella>& celle);

// Record sizes in the files.
constexpr size_t byte_elemento_fissi = 34;
constexpr size_t byte_cella = 15;
constexpr size_t lunghezza_nome_massima = 65535;

}  // namespace sc
