// The pieces of a decompile: each turns part of the compiled data back into
// description entries (lines of text, grouped by section) and notes what
// it cannot explain.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "format/tracciato.h"
#include "model/percorso.h"
#include "model/printf_string.h"

namespace sc::decompile {

// What the compiled files hold, decoded; cell 1 and record 85 already
// cleared of the marks and contest codes that the compile stamps.
struct Data {
  std::vector<Cella> celle;
  std::array<Elemento, numero_elementi> elementi{};
  std::optional<PlanFile> tracciato;  // absent: compiled without a track plan

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

// An entry that writes approach markers: a signal (the cell before each of
// its four markers, every second cell) or a station (the four cells before
// its stop cell). Each marker overwrites what an earlier entry wrote there.
struct MarkerWriter {
  bool station = false;
  size_t index = 0;  // into `stazioni` or `segnali`
  int64_t cell = 0;  // the signal cell or the stop cell (-1: a station without markers)
  int side = 0;      // a signal's sx * 3 + dx
};

struct TrenoDescription {
  std::vector<std::string> generale, aderenze, vel_limite, stazioni, rallentamenti, segnali, codes;
  std::vector<MarkerWriter> stazioni_markers, segnali_markers;  // one per entry, in entry order
  // Signals and stations in the order that reproduces their overlapping
  // approach markers, when the usual order (stations, then signals) does not.
  std::optional<std::vector<MarkerWriter>> order;
};

// General section of the line: length, kilometre references, backgrounds,
// cab-signalling repetition.
void generale_linea(const Data& d, LineaDescription& out, Note& note);

// The entries of one cell profile: one at cell 0, then one wherever the
// byte changes up to cell U - 3. Each entry fills the cells from where the
// fill stands up to the one before its own (at least one cell), and the
// end of the description fills up to U - 3 (at least one cell), so the
// last three cells take entries of their own, all at U - 2: the first sets
// the value of U - 2, each further one moves the fill one cell on and sets
// the value of the next. `entry` formats an entry from its position in
// metres and its byte.
template <typename Byte, typename EntryOf>
void profile(const std::vector<Cella>& celle, Byte byte, EntryOf entry,
             std::vector<std::string>& out) {
  const int64_t u = static_cast<int64_t>(celle.size()) - 1;
  if (u < 3) return;
  const auto at = [&](int64_t i) { return byte(celle[static_cast<size_t>(i)]); };
  for (int64_t i = 0; i < u - 2; ++i) {
    if (i == 0 || at(i) != at(i - 1)) out.push_back(entry(50 * i, at(i)));
  }
  const int64_t tail = 50 * (u - 2);
  if (at(u - 1) != 0 || at(u) != 0) {
    out.push_back(entry(tail, at(u - 2)));
    out.push_back(entry(tail, at(u - 1)));
    if (at(u) != 0) out.push_back(entry(tail, at(u)));
  } else if (at(u - 2) != 0) {
    out.push_back(entry(tail, at(u - 2)));
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

// Whether the approach markers that `order` writes, one entry after the
// other, give the `avviso` of every cell they touch.
bool markers_match(const std::vector<Cella>& celle, const std::vector<MarkerWriter>& order);

// An order of the signals and stations whose markers give the cells'
// `avviso`: stations keep their order (it numbers them), and an entry whose
// marker stands in a cell comes after the others that mark it. Nothing
// when no order does.
std::optional<std::vector<MarkerWriter>> marker_order(const std::vector<Cella>& celle,
                                                      const TrenoDescription& t);
std::string treno_text(const TrenoDescription& t, bool stazioni_after_segnali = false);

}  // namespace sc::decompile
