// The decoders of the three compiled files, as the decompiler sees them:
// the only place that names where they live.
#pragma once

#include "format/compiled_decode.h"

namespace sc::decompila {

using sc::byte_cella;
using sc::DecodeError;
using sc::decodifica_celle;
using sc::decodifica_elementi;
using sc::decodifica_tracciato;
using sc::FileCompilato;
using sc::riconosci_file;
using sc::ruoli_elementi;
using sc::RuoliElementi;

}  // namespace sc::decompila
