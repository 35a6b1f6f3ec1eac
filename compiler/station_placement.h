// A station of the train description: its extent, stop cell and approach
// markers, checked against the station before it and the room left in the
// element table.
#pragma once

#include <cstdint>
#include <string>

#include "compiler/placement.h"
#include "model/percorso.h"

namespace sc {

// Places station `k`, whose record `elementi[k]` already holds the values of
// its entry (`tipo`, `progressiva`, `dato_4` ... `dato_13`, `orario`, `nome`).
// `lunghezza` is the station length (a multiple of 100), `b` the first
// record taken by indication-board texts. Writes `inizio` and `fine`, adjusts
// `dato_5` and `dato_6`, marks the cells and advances `k` by one. Faults:
// 15 (stop cell beyond the last cell; the markers lie before it; nothing
// written to the cells), 24 (stop cell 1 or lower), 22 (less than 350 m
// after the previous station), 10 (no record left below the
// indication-board texts). What was written before a fault stays. An extent that does not fit in 32
// bits throws std::out_of_range.
Placement place_station(Percorso& p, int32_t& k, int32_t lunghezza, int32_t b);

}  // namespace sc
