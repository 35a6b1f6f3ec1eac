// Showing a compiled file: the cells as a table, the element table by the
// role of each record, the track plan as metre, x, y. As text for reading or
// as JSON for tools.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "format/celle.h"
#include "model/percorso.h"

namespace sc {

// The groups of cells that `--only` can pick.
enum class CellaFilter { segnali, stazioni, rallentamenti, cartelli, codes, tunnels };

// "signals", "stations", "restrictions", "boards", "codes" (or "cab-codes"),
// "tunnels", singular forms too. std::invalid_argument listing the names
// for anything else.
CellaFilter filter_from_name(std::string_view nome);

// signals: type 1; stations: stop cells (10); restrictions: types 2 to 5;
// boards: speed-indicator (6) and indication boards (14); codes: cab-code
// cells (12, 13). Tunnels are shown as stretches, not as cells: no cell
// is in that group.
bool cella_in_filter(const Cella& c, CellaFilter filter);

// An inclusive range of cell indices.
struct CellaRange {
  int64_t from = 0;
  int64_t a = INT64_MAX;
};

// "FROM:TO", either end may be left out ("100:", ":50"); std::invalid_argument
// when it is not two whole numbers, or FROM is above TO.
CellaRange range_from_text(std::string_view text);

// Metres [da, a) of the line.
struct MetreRange {
  int64_t from = 0;
  int64_t a = INT64_MAX;
};

// "FROM:TO" in kilometres (decimals allowed, either end may be left out)
// as metres; std::invalid_argument as for a cell range.
MetreRange range_from_km(std::string_view text);

struct InspectOptions {
  bool json = false;
  std::optional<CellaRange> celle;   // cells file only
  std::vector<CellaFilter> only;     // cells file only; a cell in any group is shown
  std::optional<MetreRange> metres;  // cells file only: entries placed within, stretches cut to it
  int32_t every = 1;                 // track plan only: every N-th row (and the last)
};

// What a cell's values mean for its type (packed signal aspects, board
// speeds, the marks of cell 1), or "" when there is nothing to say. With
// the scenario's element table, boards show their text and station stops
// their station.
std::string cella_detail(const Cella& c, size_t indice,
                         const std::array<Elemento, numero_elementi>* elementi = nullptr);

// Where the description placed what cell `indice` holds: description_metres,
// or for a station stop, with the element table, the station's progressiva.
int64_t cella_metres(const Cella& c, size_t indice,
                     const std::array<Elemento, numero_elementi>* elementi);

// The cells; `elementi`, when given, is the same scenario's element table.
std::string show_celle(const std::vector<Cella>& celle, const InspectOptions& options,
                       const std::array<Elemento, numero_elementi>* elementi = nullptr);
std::string show_elementi(const std::array<Elemento, numero_elementi>& elementi,
                          const InspectOptions& options);
std::string show_tracciato(const Tracciato& tracciato, const InspectOptions& options);

// Reads FILE, decodes it by its suffix and shows it. A cells file is shown
// with the element table beside it (same name, ".sim") when that one reads. Throws DecodeError for
// a malformed file, std::invalid_argument for a name that is no compiled
// file or an option that does not apply to its kind, std::runtime_error
// when the file cannot be read.
std::string show_file(const std::filesystem::path& file, const InspectOptions& options);

// The same written to `out` as it is made: a track plan is read piece by
// piece and shown row by row, never held whole. The file is checked before
// anything is written; what fails after that (a read error, a file changed
// while read) throws with part of the listing written.
void show_file(const std::filesystem::path& file, const InspectOptions& options, std::ostream& out);

// The two contest codes a scenario identity should carry, computed as the
// compile computes them (compiler/codici_gara.h).
struct CodiciGara {
  int32_t simple = 0;
  int32_t weighted = 0;
};
CodiciGara expected_codes(std::string_view numero_treno, std::string_view nome_scenario);

}  // namespace sc
