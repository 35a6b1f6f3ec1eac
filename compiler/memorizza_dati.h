// Reads both description files into the route model.
#pragma once

#include "compiler/fault.h"
#include "compiler/sorgenti.h"
#include "model/percorso.h"

namespace sc {

// The parse of both descriptions under one catch-all handler: any read or
// run failure becomes fault 25. The caller has set `modo`, reset
// `codice_errore` and cleared the element table.
void memorizza_dati(Percorso& p, const Sorgenti& sorgenti, FaultLog& log);

}  // namespace sc
