// What the line and the train parser share: the model, the reader and the
// fault log of one parse; recording a fault at a field; the checked cell
// accessor; the hyphen rule for comment fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/field_reader.h"
#include "compiler/sorgenti.h"

namespace sc {

class LettoreBase {
 protected:
  LettoreBase(StatoLettura& s, FieldReader& r) : s_(s), p_(s.p), r_(r) {}

  // Records a fault: `codice_errore`, `posizione_errore` when it has one, and
  // the log, with the location of `dove` built now.
  void guasto(int32_t codice, std::optional<int32_t> posizione, const Campo& dove,
              std::string messaggio);
  // A fault that no field of the file stands for.
  void guasto_senza_campo(int32_t codice, std::optional<int32_t> posizione, std::string messaggio);

  // The cell at `indice`; an index outside the cells is a run failure at
  // `dove`: "<ruolo> cell N lies outside the cells 0..U".
  Cella& cella(double indice, const Campo& dove, const std::string& ruolo);

  // A key field that contains a hyphen is a comment: the next field takes
  // its place, at most `volte` times. Reads into `campo` and `dove`. With
  // `fine_conta`, the end of the file after such a read ends the key search:
  // false then.
  bool salta_commenti(std::string& campo, Campo& dove, int volte, bool fine_conta);

  // The next field as a station name or board text (`cosa`), which the
  // element table stores with a 2-byte length: a longer one is a run
  // failure at its field.
  std::string testo_registrato(const char* cosa);

  // Runs a placement routine; a cell it finds outside the cells (a limit
  // the rules did not foresee) becomes a run failure at the entry's field.
  template <typename F>
  auto posa(const Campo& dove, F&& f) {
    try {
      return f();
    } catch (const std::out_of_range& e) {
      r_.fail_at(dove, e.what());
    }
  }

  StatoLettura& s_;
  Percorso& p_;
  FieldReader& r_;
};

}  // namespace sc
