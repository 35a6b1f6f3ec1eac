// Showing a compiled file: the cells as a table, the element table by the
// role of each record, the track plan as metre, x, y. As text for reading or
// as JSON for tools.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/celle.h"
#include "model/percorso.h"

namespace sc {

// The groups of cells that `--only` can pick.
enum class FiltroCelle { segnali, stazioni, rallentamenti, cartelli, codici, gallerie };

// "signals", "stations", "restrictions", "boards", "codes" (or "cab-codes"),
// "tunnels", singular forms too. std::invalid_argument listing the names
// for anything else.
FiltroCelle filtro_da_nome(std::string_view nome);

// signals: type 1; stations: stop cells (10); restrictions: types 2 to 5;
// boards: speed-indicator (6) and indication boards (14); codes: cab-code
// cells (12, 13). Tunnels are shown as stretches, not as cells: no cell
// is in that group.
bool cella_nel_filtro(const Cella& c, FiltroCelle filtro);

// An inclusive range of cell indices.
struct IntervalloCelle {
  int64_t da = 0;
  int64_t a = INT64_MAX;
};

// "FROM:TO", either end may be left out ("100:", ":50"); std::invalid_argument
// when it is not two whole numbers, or FROM is above TO.
IntervalloCelle intervallo_da_testo(std::string_view testo);

// Metres [da, a) of the line.
struct IntervalloMetri {
  int64_t da = 0;
  int64_t a = INT64_MAX;
};

// "FROM:TO" in kilometres (decimals allowed, either end may be left out)
// as metres; std::invalid_argument as for a cell range.
IntervalloMetri intervallo_da_km(std::string_view testo);

struct OpzioniInspect {
  bool json = false;
  std::optional<IntervalloCelle> celle;  // cells file only
  std::vector<FiltroCelle> solo;         // cells file only; a cell in any group is shown
  std::optional<IntervalloMetri> metri;  // cells file only: entries placed within, stretches cut to it
  int32_t ogni = 1;                      // track plan only: every N-th row (and the last)
};

// What a cell's values mean for its type (packed signal aspects, board
// speeds, the marks of cell 1), or "" when there is nothing to say. With
// the scenario's element table, boards show their text and station stops
// their station.
std::string dettaglio_cella(const Cella& c, size_t indice,
                            const std::array<Elemento, numero_elementi>* elementi = nullptr);

// Where the description placed what cell `indice` holds: metri_descrizione,
// or for a station stop, with the element table, the station's progressiva.
int64_t metri_cella(const Cella& c, size_t indice, const std::array<Elemento, numero_elementi>* elementi);

// The cells; `elementi`, when given, is the same scenario's element table.
std::string mostra_celle(const std::vector<Cella>& celle, const OpzioniInspect& opzioni,
                         const std::array<Elemento, numero_elementi>* elementi = nullptr);
std::string mostra_elementi(const std::array<Elemento, numero_elementi>& elementi,
                            const OpzioniInspect& opzioni);
std::string mostra_tracciato(const Tracciato& tracciato, const OpzioniInspect& opzioni);

// Reads FILE, decodes it by its suffix and shows it. A cells file is shown
// with the element table beside it (same name, ".sim") when that one reads. Throws DecodeError for
// a malformed file, std::invalid_argument for a name that is no compiled
// file or an option that does not apply to its kind, std::runtime_error
// when the file cannot be read.
std::string mostra_file(const std::filesystem::path& file, const OpzioniInspect& opzioni);

// The two contest codes a scenario identity should carry, computed as the
// compile computes them (compiler/codici_gara.h).
struct CodiciGara {
  int32_t semplice = 0;
  int32_t pesato = 0;
};
CodiciGara codici_attesi(std::string_view numero_treno, std::string_view nome_scenario);

}  // namespace sc
