// Compiled files back to descriptions: a line and a train description that
// compile to the same bytes, written the way an author writes them (one
// entry per stretch, natural units, nothing the compile adds by itself).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/tracciato.h"

namespace sc::decompile {

// The bytes of a track plan file: held in memory (they must outlive this),
// or read from the file in pieces, so that the largest plan is never held
// whole.
struct PlanBytes {
  PlanBytes(std::string_view bytes)  // NOLINT(google-explicit-constructor)
      : read(bytes_reader(bytes)), size(bytes.size()) {}
  PlanBytes(const std::string& bytes)  // NOLINT(google-explicit-constructor)
      : PlanBytes(std::string_view(bytes)) {}
  PlanBytes(ReadAt reader, size_t n) : read(std::move(reader)), size(n) {}

  ReadAt read;
  size_t size = 0;
};

// The plan's bytes read whole: only where both plans must be looked at
// row by row (a difference to name).
std::string whole_plan(const PlanBytes& plan);

// The bytes of the three compiled files of one scenario; no track plan for
// a scenario compiled without one.
struct CompiledFiles {
  std::string_view celle;
  std::string_view elementi;
  std::optional<PlanBytes> tracciato;
};

struct Decompilation {
  std::string nome_scenario;  // from record 85
  std::string numero_treno;   // from record 86
  std::string linea;          // line description, file bytes
  std::string treno;          // train description, file bytes
  // What no entry explains: cells, records and plan rows, one line each.
  std::vector<std::string> unexplained;
  // The faults that the compile of the two descriptions records.
  std::vector<std::string> faults;
  // When the compile of the descriptions does not give the input back: the
  // first differing byte, as "FILE: byte N (...): A in the input, B compiled".
  std::optional<std::string> difference;
  // Where the cells hold no speed from, to the end of the line, in metres:
  // files written by a compile that stopped at a fault, which placed
  // nothing after it.
  std::optional<int64_t> stopped_at;

  bool identical() const { return !difference; }
};

// The remark the line description holds in place of curves when the
// scenario was compiled without a track plan.
inline constexpr const char* no_plan_remark =
    "-- no track plan was compiled: the curves are unknown --";

// Decodes and decompiles; the descriptions are compiled in memory and
// compared with the input before this returns. Throws DecodeError (from
// the decoders) when a file does not even have the layout of its kind.
Decompilation decompile(const CompiledFiles& file);

}  // namespace sc::decompile
