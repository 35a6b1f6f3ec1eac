// Shared by the files that show a compiled file: which cells the options
// pick, what the records mean (shared by the text and the JSON), and the
// two renderings themselves.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/posizioni.h"
#include "esamina/esamina.h"
#include "model/percorso.h"
#include "model/printf_string.h"

namespace sc::inspect_detail {

// ---------------------------------------------------------------- options

// "signals", "stations", ... as `--only` takes them.
const char* nome_filtro(FiltroCelle f);

using Elementi = std::array<Elemento, numero_elementi>;

// Whether `--only` and `--km` keep cell `i`: `--only` always when it names
// no group, `--km` when what the cell holds was placed within its range.
bool cella_scelta(const Cella& c, size_t i, const OpzioniInspect& o, const Elementi* el);

// Whether the cells are listed one by one: not when `--only` names only
// groups shown as stretches (tunnels).
bool mostra_tabella(const OpzioniInspect& o);

// Which stretches are shown: all three profiles without `--only`, tunnels
// when `--only` names them.
bool mostra_tratti(const OpzioniInspect& o, Profilo p);

// The stretches of profile `p`, cut to the `--km` range and to the cells of
// `--cells`.
std::vector<Tratto> tratti_scelti(const std::vector<Cella>& celle, Profilo p, const OpzioniInspect& o);

// The cells `--cells` keeps: [primo, ultimo) within the file.
std::pair<size_t, size_t> limiti(const std::vector<Cella>& celle, const OpzioniInspect& o);

// std::invalid_argument for an `--every` below 1.
void controlla_ogni(const OpzioniInspect& o);

// Rows of a track plan shown: every N-th and the last.
template <typename F>
void per_righe(const Tracciato& t, int32_t ogni, F&& f) {
  const int32_t n = t.righe();
  for (int32_t i = 0; i < n; ++i) {
    if (i % ogni == 0 || i == n - 1) f(static_cast<size_t>(i));
  }
}

// ---------------------------------------------------------------- records

// Record `i` of an element table.
inline const Elemento& rec(const std::array<Elemento, numero_elementi>& el, int i) {
  return el.at(static_cast<size_t>(i));
}

// A time of day in seconds as h:mm:ss, with a sign when negative.
std::string orario_testo(int64_t secondi);

// One field of an element record: its name and its value; `nome` (the
// name, Windows-1252 text) has no number.
struct CampoElemento {
  const char* campo;
  int64_t (*numero)(const Elemento&);
  bool testo() const { return numero == nullptr; }
};

// The fields of a record in the order of the file.
extern const std::array<CampoElemento, 16> campi_elemento;

// The field of that name; std::out_of_range for an unknown name.
const CampoElemento& campo_elemento(std::string_view campo);

// The extent of a track plan.
struct Sommario {
  int32_t ultima_piena = -1;  // last row with both values set
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};
Sommario sommario(const Tracciato& t);

// ---------------------------------------------------------------- renderings

std::string testo_celle(const std::vector<Cella>& celle, const OpzioniInspect& o, const Elementi* el);
std::string testo_elementi(const std::array<Elemento, numero_elementi>& el);
std::string testo_tracciato(const Tracciato& t, const OpzioniInspect& o);

// The file shown, for the JSON to begin with its path and size.
struct FileLetto {
  std::string percorso;
  size_t byte;
};

// A JSON object, one key per line, starting with "path" and "bytes" when
// `file` is given.
std::string json_celle(const std::vector<Cella>& celle, const OpzioniInspect& o, const Elementi* el,
                       const FileLetto* file);
std::string json_elementi(const std::array<Elemento, numero_elementi>& el, const FileLetto* file);
std::string json_tracciato(const Tracciato& t, const OpzioniInspect& o, const FileLetto* file);

}  // namespace sc::inspect_detail
