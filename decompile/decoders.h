// The decoders of the three compiled files, as the decompiler sees them:
// the only place that names where they live.
#pragma once

#include "format/compiled_decode.h"

namespace sc::decompile {

using sc::byte_cella;
using sc::CompiledKind;
using sc::decode_cells;
using sc::decode_elements;
using sc::decode_plan;
using sc::DecodeError;
using sc::element_roles;
using sc::ElementRoles;
using sc::recognise_file;

}  // namespace sc::decompile
