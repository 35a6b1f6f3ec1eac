// The outline of a description as the editor shows it: its sections by
// their labels, each with its entries (a key and the metres of the
// position it places something at; a station by its name), read from the
// lines as they stand, unfinished or faulty ones included.
#pragma once

#include <string_view>

#include <nlohmann/json.hpp>

#include "lsp/text.h"

namespace sc::lsp {

// The protocol's DocumentSymbol array of `text`, a line description when
// `line_description`, else a train description: a symbol for each section
// label with the entries up to the next label as its children; entries
// before the first label stand on their own. Ranges in the units of `e`.
nlohmann::json outline(std::string_view text, PositionEncoding e, bool line_description);

}  // namespace sc::lsp
