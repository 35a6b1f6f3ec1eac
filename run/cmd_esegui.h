// The embedded run of scenario-compiler-run with --out DIR.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/cli_comandi.h"

namespace sc {

// The embedded run, with its files in `dir`, and the status window.
int comando_esegui(const std::string& dir, const OpzioniEsecuzione& o, std::ostream& err);

}  // namespace sc
