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
Compilation::Result mark_and_encode(Percorso& p);

// The buffer of each plan column while the plan file is written. Both
// buffers together stay in the processor's second-level cache, where the
// kernel copies them into the page cache fastest: with 1 MiB a column a
// whole compile took a quarter longer than with 256 KiB (and 64 KiB took
// as long, in more system calls).
constexpr size_t plan_block_bytes = 256 * 1024;

// Track plan file: column 0 of every row, then column 1; each element a
// 2-byte tag (0 empty, 2 16-bit integer, 5 double) followed by its value.
// The rows are computed while the content is written, through a buffer of
// `block_bytes` bytes per column: the plan is never whole in memory. The
// content keeps its own copy of the steps. No plan: an empty content.
FileContent plan_content(const PlanSteps& t, size_t block_bytes = plan_block_bytes);

// The size of one column of the track plan file.
uint64_t plan_column_bytes(const PlanSteps& t);

}  // namespace sc
