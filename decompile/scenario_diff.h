// What changed between two versions of a scenario, in the author's terms:
// both sides decompiled into their entries, entries matched by kind and
// position (stations by name), the profiles compared metre by metre, and
// what no entry explains named by cell, record or row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "decompile/decompile.h"

namespace sc::decompile {

// One value of a change: its name, and what it is before and after (empty
// on the side where the thing is absent).
struct ChangedField {
  std::string name;
  std::string before, after;
};

struct Change {
  std::string kind;             // "general", "gradient", "station", "signal", "cells" ...
  std::string action;           // "added", "removed", "changed", "renamed"
  std::string subject;          // a station's name, a general value's key; may be empty
  std::optional<int64_t> from;  // metres: where the thing stands or its stretch begins
  std::optional<int64_t> to;    // metres: where a stretch ends (exclusive)
  std::vector<ChangedField> fields;
};

struct ScenarioDiff {
  bool same_bytes = true;       // the two sides are the same compiled bytes
  std::vector<Change> changes;  // in the order of the kinds, then of position
};

// The kinds in the order the changes are listed.
const std::vector<std::string>& change_kinds();

// Compares two compiled scenarios. Throws DecodeError when a file does not
// have the layout of its kind.
ScenarioDiff diff_scenarios(const CompiledFiles& before, const CompiledFiles& after);

// "3500 m (3.500 km)".
std::string metres_and_km(int64_t metres);

// One change as a line of text:
//   signal at 3500 m (3.500 km): added: left 2 (4/1/1), ...
//   gradient from 1500 m (1.500 km) to 2500 m (2.500 km): changed: 3 -> 5 per mille
std::string change_text(const Change& c);

// One line per kind that changed: "signal: 1 added, 2 changed".
std::vector<std::string> stat_lines(const ScenarioDiff& d);

}  // namespace sc::decompile
