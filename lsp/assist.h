// What the editor asks about a place in a description: the keys and
// section labels to complete there, and what a key or a position value
// means (its documentation; the metres, km and cell of a position and the
// entries the compile put behind that cell).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "compiler/fault.h"
#include "lsp/text.h"

namespace sc::lsp {

// The documentation of the keys: the sections of docs/format.md (its text,
// empty when it cannot be had: each key then says what its table knows).
class KeyDocs {
 public:
  explicit KeyDocs(std::string format_md = "") : format_md_(std::move(format_md)) {}
  // The section of the format text that describes the key named `name`
  // ("progressiva chilometrica" for "progressiva chilometrica due"), or
  // the key's values from its table.
  std::string of(std::string_view name, int values, bool positioned) const;
  // The first code span of that section ("segnale, P, SX, ..."): the
  // entry's values in order; empty when there is none.
  std::string form(std::string_view name) const;

 private:
  std::string_view section(std::string_view name) const;
  std::string format_md_;
};

// A whole number as the reader takes it: an optional minus sign and
// digits, nothing else in the field but blanks around it; nothing when it
// is not one or does not fit in 32 bits.
std::optional<long long> whole_number(std::string_view field);
// Metres as km with three decimals ("3.500", "-0.050").
std::string km_text(long long metres);

// The protocol's CompletionItem array for `at` in `text`, a line
// description when `line_description`, else a train description.
nlohmann::json completion(std::string_view text, Position at, PositionEncoding e,
                          bool line_description, const KeyDocs& docs);

// What a hover at `at` is on: a key (its documentation), a position value,
// or nothing.
struct HoverTarget {
  enum Kind { none, key, position } kind = none;
  std::string key_name;
  int values = 0;
  bool positioned = false;
  long long metres = 0;
  int cell = 0;       // the cell the compile places the entry in
  Position from, to;  // the field, in the editor's units
};
HoverTarget hover_target(std::string_view text, Position at, PositionEncoding e,
                         bool line_description);

// The Hover answer for a target (null for none); `origins`: what the
// compile of the scenario put behind the cells (null: not compiled).
nlohmann::json hover(const HoverTarget& t, const CellOrigins* origins, const KeyDocs& docs);

}  // namespace sc::lsp
