// What the line and the train parser share: the model, the reader and the
// fault log of one parse; recording a fault at a field; the checked cell
// accessor; the hyphen rule for comment fields.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compiler/celle.h"
#include "compiler/fault_codes.h"
#include "compiler/field_reader.h"
#include "compiler/sources.h"

namespace sc {

// The entry of a stepwise profile in force: where its position stands
// (line 0 before the first entry), its value and the cell it is in force
// from.
struct StepInForce {
  Field position;
  int64_t value = 0;
  int64_t from = 0;
};

class ParserBase {
 protected:
  ParserBase(ReadState& s, FieldReader& r) : s_(s), p_(s.p), r_(r) {}

  // Records a fault: `codice_errore`, `posizione_errore` when it has one, and
  // the log, with the location of `dove` built now.
  void fault(int32_t codice, std::optional<int32_t> posizione, const Field& dove,
             std::string message);
  // A fault that no field of the file stands for.
  void fault_without_field(int32_t codice, std::optional<int32_t> posizione, std::string message);

  // The cell at `indice`; an index outside the cells is a run failure at
  // `dove`: "<ruolo> cell N lies outside the cells 0..U".
  Cella& cella(double indice, const Field& dove, const std::string& role);

  // A key field that contains a hyphen is a comment: the next field takes
  // its place, at most `times` times. Reads into `field` and `dove`. With
  // `end_count`, the end of the file after such a read ends the key search:
  // false then.
  // A hyphen field that holds one of `parole` (the key words of the
  // section) is a warning: an entry disabled by its hyphen.
  bool skip_comments(std::string& field, Field& dove, int times, bool end_count,
                     std::span<const std::string_view> parole);

  // --- what the parse skips, told as warnings -------------------------------
  // A key field was recognised: its line holds an entry.
  void mark_entry(const Field& dove);
  // The outcome `vale` of a key test on the field at `key`; when it
  // matched, an entry `nome` of `values` values starts there (the first
  // match of the field sets `recognised`).
  bool recognise(bool vale, const Field& key, bool& recognised, const char* nome, int values) {
    if (!vale) return false;
    if (!recognised) mark_entry(key);
    recognised = true;
    r_.begin_entry(key, nome, values);
    return true;
  }
  // A field where a key was expected that no key of the section matches:
  // an unknown key when it opens its line (with the nearest of `names`),
  // values left over when it follows a recognised entry on its line.
  void unrecognised(const std::string& field, const Field& dove,
                    std::span<const std::string_view> names);
  // A key field that opens its line with "#", "//" or ";".
  void foreign_comment(const std::string& field, const Field& dove);
  // After a text stored in the compiled files: a comma that cut it (unless
  // what follows the comma is a new entry: a key of `parole` or a label).
  void cut_text(const char* what, std::span<const std::string_view> parole);

  // --- values the compile stores otherwise than written ---------------------
  // A field holding "[fine]": the entries after it still count.
  void note_label(const std::string& field, const Field& dove);
  // A key that sets values of its own record (the line length, a
  // kilometre reference, the clock ...): given again, the later entry
  // replaces the earlier one.
  void given_again(const char* key, const Field& key_field);

  // After a fault recorded on a taken cell: a note at the entry that put
  // there what the cell holds, when one did.
  void note_cell_owner(double cella);

  // An entry of a stepwise profile (`what` in `unit`) at `pos`, whose cell
  // (the position over 50, rounded) is `cella`, read while the cells before
  // `cursor` are already filled. At or before the cursor it cannot start
  // where it is written: the entry in force `before` keeps `kept` cells from
  // the cursor, and this one takes effect after them.
  // An entry of the value in force changes nothing.
  void step_out_of_order(const char* what, const char* unit, int32_t pos, int64_t value,
                         const Field& where, double cella, int64_t cursor, int64_t kept,
                         const StepInForce& before);

  // Runs one entry. While reading on after the first fault, a read failure
  // is recorded and the reading goes on at the next line (`poi` is then
  // the outcome); otherwise it propagates.
  template <typename F, typename E>
  E recoverable_entry(F&& f, E poi) {
    if (!s_.recovery) return f();
    try {
      return f();
    } catch (const ParseFailure& e) {
      if (e.where().line <= 0) throw;
      record(p_, s_.log,
             Fault{fault_code::run_failure, std::nullopt, e.where(), e.entry() + e.what()});
      r_.resume_after_line(e.where().line);
      return poi;
    }
  }

  // A warning at a field; it changes nothing in the model.
  void avviso(int32_t numero, const Field& dove, std::string message, std::vector<Note> notes = {});

  // The next field as a station name or board text (`what`), which the
  // element table stores with a 2-byte length: a longer one is a run
  // failure at its field.
  std::string recorded_text(const char* what);

  // Runs a placement routine; a cell it finds outside the cells (a limit
  // the rules did not foresee) becomes a run failure at the entry's field.
  // The cells it changed are noted as the work of the entry at `dove` (a
  // `what`), and an element it wrote over is a warning.
  template <typename F>
  auto place(const Field& dove, const char* what, F&& f) {
    CellWatch watch;
    try {
      auto outcome = f();
      after_placing_cells(watch, dove, what);
      return outcome;
    } catch (const std::out_of_range& e) {
      r_.fail_at(dove, e.what());
    }
  }

  void after_placing_cells(const CellWatch& watch, const Field& dove, const char* what);

  int entry_line_ = 0;  // the line of the last recognised key
  Field fine_label_;    // the "[fine]" field, once read (line 0 before)
  bool fine_told_ = false;
  std::vector<std::pair<std::string, Field>> given_;  // keys of one record each, as last given
  int warned_line_ = 0;  // a line already warned about: no second warning for its fields

  ReadState& s_;
  Percorso& p_;
  FieldReader& r_;
};

}  // namespace sc
