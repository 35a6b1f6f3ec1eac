// The pieces of a decompile: each turns part of the compiled data back into
// description entries (lines of text, grouped by section) and notes what
// it cannot explain.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/percorso.h"
#include "model/printf_string.h"

namespace sc::decompile {

// What the compiled files hold, decoded; cell 1 and record 85 already
// cleared of the marks and contest codes that the compile stamps.
struct Data {
  std::vector<Cella> celle;
  std::array<Elemento, numero_elementi> elementi{};
  std::optional<Tracciato> tracciato;  // absent: compiled without a track plan

  int32_t last_cell() const { return static_cast<int32_t>(celle.size()) - 1; }
};

// Things of the files that no entry explains, in the order found.
class Note {
 public:
  void add(std::string text) { texts_.push_back(std::move(text)); }
  const std::vector<std::string>& all() const { return texts_; }

 private:
  std::vector<std::string> texts_;
};

// "cell 71 (3500 m)": a cell and the metre where it begins.
std::string cella_at(int64_t indice);

// Whether `text` reads back unchanged as one text field: no comma, no line
// end, no blank at either end.
bool field_text(const std::string& text);

struct LineaDescription {
  std::vector<std::string> generale, curve, pendenze, montagne, cartelli, indicazioni;
};

struct TrenoDescription {
  std::vector<std::string> generale, aderenze, vel_limite, stazioni, rallentamenti, segnali, codes;
};

// General section of the line: length, kilometre references, backgrounds,
// cab-signalling repetition.
void generale_linea(const Data& d, LineaDescription& out, Note& note);

// The entries of one cell profile held in cells 0 to U - 3 (cell U - 2 only
// when an entry lies there; U - 1 and U stay 0): one at cell 0, then one
// wherever the byte changes. `entry` formats an entry from its position in
// metres and its byte.
template <typename Byte, typename EntryOf>
void profile(const std::vector<Cella>& celle, Byte byte, EntryOf entry,
             std::vector<std::string>& out) {
  const int64_t u = static_cast<int64_t>(celle.size()) - 1;
  if (u < 3) return;
  for (int64_t i = 0; i <= u - 2; ++i) {
    const uint8_t b = byte(celle[static_cast<size_t>(i)]);
    const bool change = i == 0 || b != byte(celle[static_cast<size_t>(i - 1)]);
    // The end fill stops before U - 2: a value there needs an entry of its own.
    if ((i < u - 2 && change) || (i == u - 2 && b != 0)) out.push_back(entry(50 * i, b));
  }
}

// Curve entries from the track plan.
void curve(const Data& d, LineaDescription& out, Note& note);

// Tunnel stretches from the tunnel kind and markers of the cells.
void montagne(const Data& d, LineaDescription& out, Note& note);

// Speed-indicator boards and indication boards with their texts.
void cartelli(const Data& d, LineaDescription& out, Note& note);

// The cab-code cells that the consistency pass adds, found by running its
// rules over the cells: true for each cell the pass placed.
std::vector<bool> pass_added_codes(const Data& d, Note& note);

// The train description: general values, profiles, stations, restrictions,
// signals and the author's cab-code points.
void treno(const Data& d, const std::vector<bool>& pass_added, TrenoDescription& out, Note& note);

// The descriptions as file bytes (CR LF line ends, one byte per character).
// Entries take effect in file order: with `stazioni_after_segnali` the
// stations come after the signals, so that their approach markers replace
// the signals' where both mark a cell.
std::string linea_text(const LineaDescription& l);
std::string treno_text(const TrenoDescription& t, bool stazioni_after_segnali = false);

}  // namespace sc::decompile
