// What the line and the train parser share: the model, the reader and the
// fault log of one parse; recording a fault at a field; the checked cell
// accessor; the hyphen rule for comment fields.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/celle.h"
#include "compiler/fault_codes.h"
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
  // A hyphen field that holds one of `parole` (the key words of the
  // section) is a warning: an entry disabled by its hyphen.
  bool salta_commenti(std::string& campo, Campo& dove, int volte, bool fine_conta,
                      std::span<const std::string_view> parole);

  // --- what the parse skips, told as warnings -------------------------------
  // A key field was recognised: its line holds an entry.
  void segna_voce(const Campo& dove) { riga_voce_ = dove.line; }
  // The outcome `vale` of a key test on the field at `chiave`; when it
  // matched, an entry `nome` of `valori` values starts there (the first
  // match of the field sets `riconosciuta`).
  bool riconosci(bool vale, const Campo& chiave, bool& riconosciuta, const char* nome, int valori) {
    if (!vale) return false;
    if (!riconosciuta) segna_voce(chiave);
    riconosciuta = true;
    r_.inizia_voce(chiave, nome, valori);
    return true;
  }
  // A field where a key was expected that no key of the section matches:
  // an unknown key when it opens its line (with the nearest of `nomi`),
  // values left over when it follows a recognised entry on its line.
  void non_riconosciuta(const std::string& campo, const Campo& dove, std::span<const std::string_view> nomi);
  // A key field that opens its line with "#", "//" or ";".
  void commento_altrui(const std::string& campo, const Campo& dove);
  // After a text stored in the compiled files: a comma that cut it (unless
  // what follows the comma is a new entry: a key of `parole` or a label).
  void testo_tagliato(const char* cosa, std::span<const std::string_view> parole);

  // Runs one entry. While reading on after the first fault, a read failure
  // is recorded and the reading goes on at the next line (`poi` is then
  // the outcome); otherwise it propagates.
  template <typename F, typename E>
  E voce_recuperabile(F&& f, E poi) {
    if (!s_.recupero) return f();
    try {
      return f();
    } catch (const ParseFailure& e) {
      if (e.where().line <= 0) throw;
      registra(p_, s_.log, Fault{fault_code::run_failure, std::nullopt, e.where(), e.voce() + e.what()});
      r_.riprendi_dopo_riga(e.where().line);
      return poi;
    }
  }

  // A warning at a field; it changes nothing in the model.
  void avviso(int32_t numero, const Campo& dove, std::string messaggio, std::vector<Richiamo> richiami = {});

  // The next field as a station name or board text (`cosa`), which the
  // element table stores with a 2-byte length: a longer one is a run
  // failure at its field.
  std::string testo_registrato(const char* cosa);

  // Runs a placement routine; a cell it finds outside the cells (a limit
  // the rules did not foresee) becomes a run failure at the entry's field.
  // The cells it changed are noted as the work of the entry at `dove` (a
  // `cosa`), and an element it wrote over is a warning.
  template <typename F>
  auto posa(const Campo& dove, const char* cosa, F&& f) {
    OsservaCelle osserva;
    try {
      auto esito = f();
      dopo_posa_celle(osserva, dove, cosa);
      return esito;
    } catch (const std::out_of_range& e) {
      r_.fail_at(dove, e.what());
    }
  }

  void dopo_posa_celle(const OsservaCelle& osserva, const Campo& dove, const char* cosa);

  int riga_voce_ = 0;      // the line of the last recognised key
  int riga_avvisata_ = 0;  // a line already warned about: no second warning for its fields

  StatoLettura& s_;
  Percorso& p_;
  FieldReader& r_;
};

}  // namespace sc
