#include "compiler/line_parser.h"
#include "compiler/fault_codes.h"

#include <optional>
#include <string>

#include "compiler/celle.h"
#include "compiler/description_keys.h"
#include "compiler/lettore_base.h"
#include "compiler/line_placement.h"
#include "compiler/testo.h"
#include "compiler/tracciato_piano.h"

namespace sc {
namespace {

// What an element entry leaves the element loop to do.
enum class Passo {
  avanti,         // next entry
  fine_elementi,  // fault 15: the element entries end, the end of the file follows
  ritorna,        // a fault ended the parse
};

// What an entry of the general section leaves its loop to do.
enum class Generale {
  avanti,        // next entry
  fine_sezione,  // a section label ends the general section
  guasto,        // a fault ended the parse
};

std::string num(int64_t v) { return std::to_string(v); }

// The words that tell the keys of each part of the line description, and
// the keys as the exported scenario writes them.
const std::vector<std::string_view>& parole_generale() {
  static const std::vector<std::string_view> parole = key_words(line_general_keys);
  return parole;
}
const std::vector<std::string_view>& nomi_generale() {
  static const std::vector<std::string_view> nomi = written_keys(line_general_keys);
  return nomi;
}
const std::vector<std::string_view>& parole_elementi() {
  static const std::vector<std::string_view> parole = key_words(line_element_keys);
  return parole;
}
const std::vector<std::string_view>& nomi_elementi() {
  static const std::vector<std::string_view> nomi = written_keys(line_element_keys);
  return nomi;
}

class LettoreLinea : LettoreBase {
 public:
  LettoreLinea(StatoLettura& s, FieldReader& r) : LettoreBase(s, r) {}

  EsitoLinea leggi();

 private:
  // Reads a 32-bit value and keeps where it stood.
  int32_t valore(Campo& where) {
    const int32_t v = r_.i32();
    where = r_.campo();
    return v;
  }

  bool cerca_generale();
  bool sezione_generale();
  Generale voce_generale(const Campo& chiave);
  Passo elemento(const Campo& chiave);
  bool lunghezza();
  void crea_spazio();
  bool ripetizione(const Campo& chiave);
  void terna(int record, const Campo& chiave);

  Passo elementi();
  bool nei_limiti(int32_t posizione, const Campo& where, const char* cosa);
  bool cella_entro(double c, int32_t posizione, const Campo& where, const char* cosa);
  Passo pendenza();
  Passo curva(const Campo& chiave);
  Passo montagna();
  Passo indicatori();
  Passo cartello();

  void scrivi_pendenza();
  Passo dopo_posa(int32_t posizione, const Campo* campi, const EsitoPosa& e);

  bool lunghezza_letta_ = false;
  int32_t lunghezza_ = 0;       // the last line length read
  bool lunghezza_ok_ = true;  // no fault in the line length
  bool curva_prima_ = false;
  int32_t inizio_curva_prima_ = 0;
  int riga_curva_prima_ = 0;
  std::optional<PianoTracciato> piano_;
  int32_t k_ = 0;               // gradient cursor: the next cell to fill
  int32_t g0_ = 0;              // the gradient in force
  Campo loc_g0_;       // where the gradient in force was read (none for the start 0)
  Campo loc_cursore_;  // the progressive that moved the cursor last
};

EsitoLinea LettoreLinea::leggi() {
  // No cells and no plan until the line length is read.
  p_.celle.clear();
  p_.tracciato = PassiTracciato();

  if (!cerca_generale()) return EsitoLinea::fine;
  // The cells and the plan are made once, for the last length the general
  // section read, however the section ends: a length given many times
  // costs no more than once.
  bool seguito = false;
  try {
    seguito = sezione_generale();
  } catch (...) {
    crea_spazio();
    throw;
  }
  crea_spazio();
  if (!seguito) return EsitoLinea::fine;

  // Between the sections.
  if (!lunghezza_letta_) {
    guasto(fault_code::no_line_length, std::nullopt, r_.campo(), "the general section has no \"lunghezza percorso\" entry");
    return EsitoLinea::fine;
  }
  progressive_ordina(p_);
  p_.numero_montagne = 0;
  s_.indice_cartelli = record_primo_cartello;
  k_ = 0;
  g0_ = 0;
  if (p_.modo != 0) {
    piano_.emplace(p_.tracciato);
    piano_->semina();
  }

  if (elementi() == Passo::ritorna) return EsitoLinea::fine;

  // End of the line file: the last gradient fills the cells from the cursor
  // up to U - 3 (at least the cell at the cursor), and the plan runs straight
  // to its end.
  const int32_t u = p_.ultima_cella();
  do {
    scrivi_pendenza();
  } while (k_ < u - 2);
  if (piano_) piano_->completa();
  return EsitoLinea::continua;
}

bool LettoreLinea::cerca_generale() {
  for (;;) {
    p_.riga = r_.text();
    if (r_.eof()) {
      guasto(fault_code::no_general_section, std::nullopt, r_.campo(),
             "no field containing \"[generale]\" before the last field of the file");
      return false;
    }
    if (contiene_ic(p_.riga, "[generale]")) return true;
  }
}

bool LettoreLinea::sezione_generale() {
  for (;;) {
    if (r_.eof()) return true;
    p_.riga = r_.text();
    Campo chiave = r_.campo();
    if (r_.eof()) return true;  // the last field of the file is never a key
    // A field with a hyphen is a comment: the next field takes its place,
    // ten times in a row, with no end test between these reads.
    salta_commenti(p_.riga, chiave, 10, false, parole_generale());
    commento_altrui(p_.riga, chiave);

    const Generale g = voce_recuperabile([&] { return voce_generale(chiave); }, Generale::avanti);
    if (g == Generale::fine_sezione) return true;
    if (g == Generale::guasto) {
      // A fault of the line length leaves no cells to read on with.
      if (!s_.recupero || !lunghezza_ok_) return false;
      r_.riprendi_dopo_riga(chiave.line);
    }
  }
}

// One entry of the general section.
Generale LettoreLinea::voce_generale(const Campo& chiave) {
  const std::string k = p_.riga;
  bool riconosciuta = false;
  // Each test that matches reads its entry.
  auto voce = [&](LineGeneralKey g) {
    const DescriptionKey& key = key_of(g);
    return riconosci(holds_key(key, k), chiave, riconosciuta, key.name, key.values);
  };
  if (voce(LineGeneralKey::lunghezza_percorso) && !lunghezza()) {
    lunghezza_ok_ = false;
    return Generale::guasto;
  }
  if (voce(LineGeneralKey::progressiva_tre)) {
    terna(record_progressiva_tre, chiave);
  }
  if (voce(LineGeneralKey::progressiva_due)) {
    terna(record_progressiva_due, chiave);
  }
  if (voce(LineGeneralKey::progressiva_uno)) {
    terna(record_progressiva_uno, chiave);
  }
  if (voce(LineGeneralKey::sfondo_uno)) {
    p_.elementi.at(record_sfondo_identita).inizio = r_.i32();
  }
  if (voce(LineGeneralKey::sfondo_due)) {
    p_.elementi.at(record_sfondo_identita).progressiva = r_.i32();
  }
  if (voce(LineGeneralKey::sfondo_tre)) {
    p_.elementi.at(record_sfondo_identita).fine = r_.i32();
  }
  if (voce(LineGeneralKey::ripetizione_segnali) && !ripetizione(chiave)) {
    return Generale::guasto;
  }

  if (contiene(k, "[") && contiene(k, "]") && !senza_blank_iniziali(k).starts_with("-")) {
    return Generale::fine_sezione;
  }
  if (!riconosciuta) non_riconosciuta(k, chiave, nomi_generale());
  return Generale::avanti;
}

bool LettoreLinea::lunghezza() {
  Campo where;
  const int32_t l = valore(where);
  p_.elementi.at(record_treno_linea).fine = l;
  if (l > lunghezza_massima || l < 0) {
    guasto(
        1, std::nullopt, where,
        "line length " + num(l) + (l < 0 ? " is below 0" : " is above " + num(lunghezza_massima)));
    return false;
  }
  p_.lunghezza_totale = l + coda_linea;
  lunghezza_ = l;
  lunghezza_letta_ = true;
  return true;
}

void LettoreLinea::crea_spazio() {
  if (!lunghezza_letta_) return;
  crea_celle(p_, lunghezza_);
  if (p_.modo != 0) crea_tracciato(p_);
}

void LettoreLinea::terna(int record, const Campo& chiave) {
  Elemento& e = p_.elementi.at(static_cast<size_t>(record));
  e.inizio = r_.i32();
  e.fine = r_.i32();
  e.progressiva = r_.i32();
  s_.riferimenti_km.push_back({r_.luogo(chiave), citazione(senza_blank_iniziali(p_.riga)), e.inizio, e.fine, e.progressiva});
}

bool LettoreLinea::ripetizione(const Campo& chiave) {
  Campo w1, w2;
  const int32_t v1 = valore(w1);
  const int32_t v2 = valore(w2);
  Elemento& e = p_.elementi.at(record_ripetizione);
  e.inizio = v1;
  e.fine = v2;
  if (v1 % 50 != 0) {
    guasto(fault_code::first_repetition_off_grid, std::nullopt, w1, "first ripetizione value " + num(v1) + " is not a multiple of 50");
    return false;
  }
  if (v2 % 50 != 0) {
    guasto(fault_code::second_repetition_off_grid, std::nullopt, w2, "second ripetizione value " + num(v2) + " is not a multiple of 50");
    return false;
  }
  if (contiene(p_.riga, "4")) {
    e.progressiva = 4;
  } else if (contiene(p_.riga, "9")) {
    e.progressiva = 9;
  } else {
    guasto(fault_code::repetition_without_count, std::nullopt, chiave, "ripetizione key names neither 4 nor 9 codes");
    return false;
  }
  if (v2 == 0) e.progressiva = 0;
  return true;
}

Passo LettoreLinea::elementi() {
  for (;;) {
    if (r_.eof()) return Passo::avanti;
    p_.riga = r_.text();
    Campo chiave = r_.campo();
    if (r_.eof()) return Passo::avanti;
    // Up to two comment fields (with a hyphen) in a row give way to the next.
    if (!salta_commenti(p_.riga, chiave, 2, true, parole_elementi())) return Passo::avanti;
    commento_altrui(p_.riga, chiave);

    const Passo esito = voce_recuperabile([&] { return elemento(chiave); }, Passo::avanti);
    if (esito != Passo::avanti) {
      if (!s_.recupero) return esito;
      r_.riprendi_dopo_riga(chiave.line);
    }
  }
}

// One element entry: every test that matches handles its entry, in this
// order.
Passo LettoreLinea::elemento(const Campo& chiave) {
  const std::string k = p_.riga;
  bool riconosciuta = false;
  auto voce = [&](LineElementKey e) {
    const DescriptionKey& key = key_of(e);
    return riconosci(holds_key(key, k), chiave, riconosciuta, key.name, key.values);
  };
  Passo esito = Passo::avanti;
  if (voce(LineElementKey::pendenza)) esito = pendenza();
  if (esito == Passo::avanti && p_.modo != 0 && voce(LineElementKey::curva)) {
    esito = curva(chiave);
  }
  if (esito == Passo::avanti && voce(LineElementKey::montagna)) esito = montagna();
  if (esito == Passo::avanti && voce(LineElementKey::indicatori_vmax)) esito = indicatori();
  if (esito == Passo::avanti && voce(LineElementKey::cartello_indicatore)) {
    esito = cartello();
  }
  if (esito != Passo::avanti) return esito;
  // Without the track plan curves are not read: that is no unknown key.
  if (p_.modo == 0 && holds_key(key_of(LineElementKey::curva), k)) {
    riga_avvisata_ = chiave.line;
    return Passo::avanti;
  }
  if (!riconosciuta) non_riconosciuta(k, chiave, nomi_elementi());
  return Passo::avanti;
}

// The bound test: an entry is accepted when (p + 100) / 50 <= U. A
// negative progressive passes it; each entry then refuses only a cell of
// its own that would lie outside the cells.
bool LettoreLinea::nei_limiti(int32_t posizione, const Campo& where, const char* cosa) {
  const int32_t u = p_.ultima_cella();
  if ((posizione + 100.0) / 50.0 <= u) return true;
  guasto(fault_code::position_beyond_line, posizione, where,
         std::string(cosa) + " at " + num(posizione) + " m lies beyond the last position the line allows, " +
             num(int64_t{50} * u - 100) + " m");
  return false;
}

// Fault 15 for an entry whose cell `c` lies outside the cells; false then.
bool LettoreLinea::cella_entro(double c, int32_t posizione, const Campo& where, const char* cosa) {
  if (c >= 0 && c <= p_.ultima_cella()) return true;
  guasto(fault_code::position_beyond_line, posizione, where,
         std::string(cosa) + " at " + num(posizione) + " m would mark " +
             cella_fuori(static_cast<int64_t>(c), p_.ultima_cella()));
  return false;
}

// Writes the gradient in force into the cell at the cursor and moves on.
void LettoreLinea::scrivi_pendenza() {
  Cella& c = cella(k_, loc_cursore_, "gradient");
  const int64_t byte = int64_t{g0_} + 100;
  if (byte < 0 || byte > 255) {
    r_.fail_at(loc_g0_,
               "gradient " + num(g0_) + " gives the cell byte " + num(byte) + ", outside 0..255");
  }
  c.pendenza = static_cast<uint8_t>(byte);
  ++k_;
}

Passo LettoreLinea::pendenza() {
  Campo wp, wg;
  const int32_t pos = valore(wp);
  const int32_t g = valore(wg);
  if (!nei_limiti(pos, wp, "gradient")) return Passo::fine_elementi;
  const double q = arrotonda(pos / 50.0);
  if (q > 0) {
    loc_cursore_ = wp;
    // Always at least the cell at the cursor.
    do {
      scrivi_pendenza();
    } while (k_ < q);
  }
  g0_ = g;
  loc_g0_ = wg;
  return Passo::avanti;
}

Passo LettoreLinea::curva(const Campo& chiave) {
  Campo ws, wl;
  const int32_t s = valore(ws);
  const int32_t l = valore(wl);
  if (!nei_limiti(s, ws, "curve")) return Passo::fine_elementi;
  const std::string key = p_.riga;
  // The plan holds every metre up to `raggiunto`; a curve goes on from
  // there, so any part of it before that point is lost.
  const int64_t raggiunto = int64_t{piano_.value().cursore()} - 1;
  const std::string effetto = int64_t{s} + l <= raggiunto ? "it has no effect"
                                                         : "only its part from " + num(raggiunto) + " m is drawn";
  if (curva_prima_ && s < inizio_curva_prima_) {
    avviso(6, ws,
           "curve starts at " + num(s) + " m, before the curve above it (at " + num(inizio_curva_prima_) +
               " m, line " + num(riga_curva_prima_) + "); the track plan only goes forward: " + effetto);
  } else if (s < raggiunto && l > 0) {
    avviso(5, ws,
           "curve starts at " + num(s) + " m, behind the " + num(raggiunto) +
               " m the track plan has reached: " + effetto);
  }
  curva_prima_ = true;
  inizio_curva_prima_ = s;
  riga_curva_prima_ = ws.line;
  switch (piano_.value().aggiungi_curva(key, s, l)) {
    case EsitoCurva::fatta:
      return Passo::avanti;
    case EsitoCurva::senza_classe:
      guasto(fault_code::curve_or_plan_out_of_range, std::nullopt, chiave, "curve key \"" + citazione(key) + "\" holds no class digit 1 to 6");
      break;
    case EsitoCurva::oltre_tracciato:
      guasto(fault_code::curve_or_plan_out_of_range, std::nullopt, wl,
             "curve ends at " + num(int64_t{s} + l) + " m, beyond the last track plan row " +
                 num(p_.tracciato.righe() - 1));
      break;
    case EsitoCurva::oltre_limite:
      guasto(fault_code::curve_or_plan_out_of_range, std::nullopt, wl, "track plan passes row " + num(cursore_tracciato_massimo));
      break;
  }
  return Passo::ritorna;
}

Passo LettoreLinea::montagna() {
  Campo wi, wf, wt;
  int32_t inizio = valore(wi);
  int32_t fine = valore(wf);
  int32_t tipo = valore(wt);
  if (!nei_limiti(inizio, wi, "tunnel")) return Passo::fine_elementi;
  if (p_.numero_montagne >= numero_montagne_max) {
    guasto(fault_code::position_beyond_line, inizio, wi,
           "tunnel at " + num(inizio) + " m is one more than the " + num(numero_montagne_max) +
               " stretches the tunnel table holds");
    return Passo::fine_elementi;
  }
  if (!montagna_collocabile(p_, inizio, fine)) {
    const CelleMontagna c = celle_montagna(inizio, fine);
    if (c.prima < 0) {
      guasto(fault_code::position_beyond_line, inizio, wi,
             "tunnel from " + num(inizio) + " m would mark " + cella_fuori(c.prima, p_.ultima_cella()));
      return Passo::fine_elementi;
    }
    guasto(fault_code::position_beyond_line, inizio, wf,
           "tunnel " + num(inizio) + ".." + num(fine) + " m covers cells " + num(c.prima) + ".." +
               num(c.ultima) + ", beyond the last cell " + num(p_.ultima_cella()));
    return Passo::fine_elementi;
  }
  if (celle_montagna(inizio, fine).vuota()) {
    avviso(7, wf,
           "tunnel ends at " + num(fine) + " m, before it starts at " + num(inizio) + " m: it marks no cell");
  }
  memo_montagna(p_, inizio, fine, tipo);  // records no fault of its own
  return Passo::avanti;
}

Passo LettoreLinea::indicatori() {
  // posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced
  int32_t v[9];
  Campo w[9];
  for (int i = 0; i < 9; ++i) v[i] = valore(w[i]);
  const int32_t posizione = v[0];
  if (!nei_limiti(posizione, w[0], "speed-indicator board")) return Passo::fine_elementi;
  const double c = arrotonda(posizione / 50.0 + 1.0);
  if (!cella_entro(c, posizione, w[0], "speed-indicator board")) return Passo::fine_elementi;
  return dopo_posa(posizione, w, posa(w[0], "speed-indicator board", [&] {
                     return memo_indicatori_v_max(p_, posizione, v[1], v[2], v[3], v[4], v[5],
                                                  v[6], v[7], v[8]);
                   }));
}

Passo LettoreLinea::cartello() {
  Campo wp;
  const int32_t posizione = valore(wp);
  p_.riga = testo_registrato("board text");
  testo_tagliato("board text", parole_elementi());
  if (!nei_limiti(posizione, wp, "indication board")) return Passo::fine_elementi;
  const double c = arrotonda(posizione / 50.0 + 1.0);
  if (!cella_entro(c, posizione, wp, "indication board")) return Passo::fine_elementi;
  return dopo_posa(posizione, &wp, posa(wp, "indication board", [&] {
                     return poni_cartello(p_, posizione, p_.riga, s_.indice_cartelli);
                   }));
}

// A placement's fault ends the parse at the entry's position; a value that
// does not fit its cell field is a run failure at that value.
Passo LettoreLinea::dopo_posa(int32_t posizione, const Campo* campi, const EsitoPosa& e) {
  if (e.posato()) return Passo::avanti;
  if (e.codice == fault_code::run_failure) r_.fail_at(campi[e.valore], e.messaggio);
  guasto(e.codice, posizione, campi[0], e.messaggio);
  return Passo::ritorna;
}

}  // namespace

EsitoLinea leggi_linea(StatoLettura& s, FieldReader& r) { return LettoreLinea(s, r).leggi(); }

}  // namespace sc
