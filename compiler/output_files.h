// The last step of a compile: the reserved marks, the contest codes and the
// bytes of the track plan file (the other two files' serialisers are in
// format/).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/memorizza_percorso.h"
#include "format/celle.h"
#include "format/elementi.h"
#include "model/percorso.h"

namespace sc {

// Mark step, then code step. The mark step refuses (errore_1250) when
// `dato_7` of record 85 or `valore_1` of cell 1 is already nonzero,
// otherwise stamps 610 and 5121. The code step refuses (errore_1251) when
// `orario` of record 85 or `valore_2` of cell 1 is already nonzero,
// otherwise stores the weighted contest code in `orario` of record 85 and
// then the plain one in `valore_2` of cell 1. Returns pronto when both ran.
// Needs cell 1 to exist.
Compilazione::Stato marca_e_codifica(Percorso& p);

// Track plan file: column 0 of every row, then column 1; each element a
// 2-byte tag (0 empty, 2 16-bit integer, 5 double) followed by its value.
// On a little-endian machine a run of double entries is a piece of the
// plan's own memory (no copy): `t` must outlive the content and stay
// unchanged. The other entries are encoded into pieces of their own.
ContenutoFile pezzi_tracciato(const Tracciato& t);

// The same bytes in one string.
std::string serializza_tracciato(const Tracciato& t);

}  // namespace sc
