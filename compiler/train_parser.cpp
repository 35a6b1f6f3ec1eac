#include "compiler/train_parser.h"
#include "compiler/fault_codes.h"

#include <iterator>
#include <limits>
#include <span>
#include <string_view>
#include <stdexcept>
#include <string>
#include <vector>

#include "compiler/celle.h"
#include "compiler/description_keys.h"
#include "compiler/lettore_base.h"
#include "compiler/station_placement.h"
#include "compiler/testo.h"
#include "compiler/train_placement.h"

namespace sc {
namespace {

// How an entry leaves the parse.
enum class Esito {
  avanti,        // go on with the next field
  fine_normale,  // out-of-range position: end fills and the reference check still run
  ritorno,       // a fault that ends the parse at once
};

// A profile (speed or adhesion) filled cell by cell up to each entry.
struct Profilo {
  int32_t indice = 0;     // next cell to fill
  int32_t in_vigore = 0;  // value in force; 0 before the first entry
  Campo dove;             // the field that gave the value in force
};

std::string n(int64_t v) { return std::to_string(v); }

class LetturaTreno : LettoreBase {
 public:
  LetturaTreno(StatoLettura& s, FieldReader& r) : LettoreBase(s, r), u_(s.p.ultima_cella()) {}

  void esegui() {
    // Everything before the first "[generale]" is skipped.
    while (!r_.eof()) {
      if (contiene_ic(r_.text(), "[generale]")) {
        trovato_generale_ = true;
        break;
      }
    }
    while (!r_.eof()) {
      std::string f = r_.text();
      Campo dove = r_.campo();
      if (r_.eof()) break;  // the last field is never examined
      // A field with a hyphen is a comment: the next one takes its place,
      // at most twice; the third field is examined whatever it holds.
      if (!salta_commenti(f, dove, 2, true, parole_chiave())) break;
      commento_altrui(f, dove);
      const Esito e = voce_recuperabile([&] { return esamina(f, dove); }, Esito::avanti);
      if (e != Esito::avanti && s_.recupero) {
        r_.riprendi_dopo_riga(dove.line);
        continue;
      }
      if (e == Esito::ritorno) return;
      if (e == Esito::fine_normale) break;
    }
    fine_normale();
    if (riconosciute_ == 0) {
      s_.log.avviso(11, r_.luogo(Campo{}),
                    "no entry of the train description was recognised: the train has no stations, signals, "
                    "speeds or adhesion" +
                        std::string(trovato_generale_ ? "" : " (the file holds no \"[generale]\" line)"));
    }
  }

 private:
  using Azione = Esito (LetturaTreno::*)(const Campo&);

  static std::span<const std::string_view> parole_chiave() {
    static const std::vector<std::string_view> parole = key_words(train_keys);
    return parole;
  }
  static std::span<const std::string_view> nomi_chiave() {
    static const std::vector<std::string_view> nomi = written_keys(train_keys);
    return nomi;
  }

  // The entry of each key.
  static Azione azione(TrainKey k) {
    switch (k) {
      case TrainKey::percentuale_massa_frenata: return &LetturaTreno::massa_frenata;
      case TrainKey::numero_vetture: return &LetturaTreno::numero_vetture;
      case TrainKey::velocita: return &LetturaTreno::velocita;
      case TrainKey::aderenza: return &LetturaTreno::aderenza;
      case TrainKey::orologio: return &LetturaTreno::orologio;
      case TrainKey::sabbia: return &LetturaTreno::sabbia;
      case TrainKey::segnale: return &LetturaTreno::segnale;
      case TrainKey::rallentamento: return &LetturaTreno::rallentamento;
      case TrainKey::abbattimento: return &LetturaTreno::abbattimento;
      case TrainKey::stazione: return &LetturaTreno::stazione;
    }
    throw std::logic_error("unknown train key");
  }

  // Every key test is applied to the field, in the order of train_keys; a
  // field holding two keys triggers both entries, each reading its own
  // values.
  Esito esamina(const std::string& f, const Campo& dove) {
    bool riconosciuta = false;
    for (size_t i = 0; i < std::size(train_keys); ++i) {
      const DescriptionKey& c = train_keys[i];
      if (!riconosci(holds_key(c, f), dove, riconosciuta, c.name, c.values)) continue;
      ++riconosciute_;
      const Esito e = (this->*azione(static_cast<TrainKey>(i)))(dove);
      if (e != Esito::avanti) return e;
    }
    if (!riconosciuta) non_riconosciuta(f, dove, nomi_chiave());
    return Esito::avanti;
  }

  // --- checks shared by the entries ---------------------------------------

  // The range check: (pos + margin) / 50 must not exceed the last cell.
  bool oltre_la_linea(int32_t pos, int32_t margine, const Campo& dove, const char* voce) {
    if (int64_t{pos} + margine <= int64_t{50} * u_) return false;
    guasto(fault_code::position_beyond_line, pos, dove,
           std::string(voce) + " at " + n(pos) + " m lies beyond the last position the line allows, " +
               n(int64_t{50} * u_ - margine) + " m");
    return true;
  }

  // An entry whose own cell would lie before cell 0 writes nothing: fault 15.
  bool prima_della_linea(int32_t pos, double cella, const Campo& dove, const char* voce) {
    if (cella >= 0.0) return false;
    guasto(fault_code::position_beyond_line, pos, dove,
           std::string(voce) + " at " + n(pos) + " m would mark " +
               cella_fuori(static_cast<int64_t>(cella), u_));
    return true;
  }


  // --- profiles -------------------------------------------------------------

  uint8_t quinto(const Profilo& v) {
    const double q = arrotonda(static_cast<double>(v.in_vigore) / 5.0);
    if (q < 0.0 || q > 255.0) {
      r_.fail_at(v.dove, "speed " + n(v.in_vigore) + " km/h gives the speed byte " +
                             n(static_cast<int64_t>(q)) + ", outside 0..255");
    }
    return static_cast<uint8_t>(q);
  }

  void scrivi_velocita(const Campo& dove) {
    cella(vel_.indice, dove, "speed").velocita = quinto(vel_);
  }
  void scrivi_aderenza(const Campo& dove) {
    cella(ade_.indice, dove, "adhesion").aderenza = static_cast<uint8_t>(ade_.in_vigore);  // low 8 bits
  }

  // Fills the profile's cells from its fill index up to the cell before the
  // entry's cell n, with the value in force; at least one cell is written,
  // and the fill never passes the last cell.
  template <typename Scrivi>
  void riempi(Profilo& pr, double cella_entry, const Campo& dove, Scrivi scrivi) {
    if (cella_entry <= 0.0) return;
    do {
      if (pr.indice >= u_) break;
      scrivi(dove);
      ++pr.indice;
    } while (pr.indice < cella_entry);
  }

  Esito profilo(Profilo& pr, const char* voce, void (LetturaTreno::*scrivi)(const Campo&)) {
    const int32_t pos = r_.i32();
    const Campo dove = r_.campo();
    const int32_t valore = r_.i32();
    const Campo dove_valore = r_.campo();
    if (oltre_la_linea(pos, 100, dove, voce)) return Esito::fine_normale;
    // An entry whose cell is 0 or lower writes no cell.
    const double c = arrotonda(static_cast<double>(pos) / 50.0);
    riempi(pr, c, dove, [&](const Campo& d) { (this->*scrivi)(d); });
    pr.in_vigore = valore;
    pr.dove = dove_valore;
    if (scrivi == &LetturaTreno::scrivi_aderenza && (valore < 0 || valore > 255)) {
      avviso(10, dove_valore,
             "adhesion " + n(valore) + " is stored in one byte as " + n(static_cast<uint8_t>(valore)) +
                 " (its low 8 bits); give 0 to 255");
    }
    return Esito::avanti;
  }

  Esito velocita(const Campo&) {
    return profilo(vel_, "speed entry", &LetturaTreno::scrivi_velocita);
  }
  Esito aderenza(const Campo&) {
    return profilo(ade_, "adhesion entry", &LetturaTreno::scrivi_aderenza);
  }

  // --- general values -------------------------------------------------------

  Esito massa_frenata(const Campo&) {
    p_.elementi[record_treno_linea].inizio = r_.i32();
    return Esito::avanti;
  }
  Esito numero_vetture(const Campo&) {
    p_.elementi[record_treno_linea].progressiva = r_.i32();
    return Esito::avanti;
  }
  Esito orologio(const Campo&) {
    Elemento& e = p_.elementi[record_ripetizione];
    e.dato_10 = r_.i16();
    e.dato_11 = r_.i16();
    e.dato_12 = r_.i16();
    return Esito::avanti;
  }
  Esito sabbia(const Campo&) {
    p_.elementi[record_ripetizione].dato_7 = r_.i16();
    return Esito::avanti;
  }

  // --- signals, restrictions, cab codes -----------------------------------------

  // After a placement: its fault ends the parse at the entry's position;
  // so does any fault number left by the line description.
  Esito dopo_posa(int32_t pos, const Campo& dove, const EsitoPosa& e, const char* voce) {
    if (!e.posato()) {
      if (e.codice == fault_code::run_failure) r_.fail_at(dove, e.messaggio);
      guasto(e.codice, pos, dove, e.messaggio);
      return Esito::ritorno;
    }
    // Reading on after the first fault, that fault is not told again.
    if (p_.codice_errore <= 0 || s_.recupero) return Esito::avanti;
    guasto(p_.codice_errore, pos, dove,
           std::string(voce) + " placed, but fault " + n(p_.codice_errore) +
               " left by the line description ends the parse here");
    return Esito::ritorno;
  }

  Esito segnale(const Campo&) {
    int32_t v[11];
    Campo w[11];
    for (int i = 0; i < 11; ++i) {
      v[i] = r_.i32();
      w[i] = r_.campo();
    }
    const Campo dove = w[0];
    // SX and DX are packed as 0 to 2, the others as one decimal digit.
    static constexpr const char* nomi[] = {"", "SX", "S1", "S2", "S3", "RAPP", "DX", "D1", "D2", "D3"};
    for (int i = 1; i <= 9; ++i) {
      const int32_t massimo = i == 1 || i == 6 ? 2 : 9;
      if (v[i] < 0 || v[i] > massimo) {
        avviso(10, w[i],
               std::string("signal value ") + nomi[i] + " " + n(v[i]) + " lies outside 0.." + n(massimo) +
                   "; it is packed into a decimal digit of the signal's cell and runs into its neighbours");
      }
    }
    if (oltre_la_linea(v[0], 100, dove, "signal")) return Esito::fine_normale;
    const double c = arrotonda(static_cast<double>(v[0]) / 50.0 + 1.0);
    if (prima_della_linea(v[0], c, dove, "signal")) return Esito::fine_normale;
    int32_t tempo = v[10];
    const EsitoPosa e = posa(dove, "signal", [&] {
      return memo_segnale(p_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], tempo);
    });
    return dopo_posa(v[0], dove, e, "signal");
  }

  Esito rallentamento(const Campo&) {
    int32_t v[6];
    Campo dove;
    for (int i = 0; i < 6; ++i) {
      v[i] = r_.i32();
      if (i == 0) dove = r_.campo();
    }
    const int32_t x = v[0];
    if (oltre_la_linea(x, 100, dove, "restriction")) return Esito::fine_normale;
    // Its start and end cells must lie within the cells too.
    const CelleRallentamento c = celle_rallentamento(x, v[2]);
    if (c.inizio < 0.0 || c.fine < 0.0 || c.fine > u_) {
      const bool inizio = c.inizio < 0.0;
      guasto(fault_code::position_beyond_line, x, dove,
             "restriction at " + n(x) + " m, " + n(v[2]) + " m long, would mark its " +
                 (inizio ? "start " : "end ") +
                 cella_fuori(static_cast<int64_t>(inizio ? c.inizio : c.fine), u_));
      return Esito::fine_normale;
    }
    const EsitoPosa e =
        posa(dove, "restriction", [&] { return memo_rallentamento(p_, x, v[1], v[2], v[3], v[4], v[5]); });
    return dopo_posa(x, dove, e, "restriction");
  }

  Esito abbattimento(const Campo&) {
    const int32_t pos = r_.i32();
    const Campo dove = r_.campo();
    const int32_t valore = r_.i32();
    if (oltre_la_linea(pos, 100, dove, "cab-code point")) return Esito::fine_normale;
    // The cell at the position itself.
    const double ci = arrotonda(static_cast<double>(pos) / 50.0);
    if (prima_della_linea(pos, ci, dove, "cab-code point")) return Esito::fine_normale;
    const EsitoPosa e = posa(dove, "cab-code point", [&] { return poni_abbattimento(p_, pos, valore); });
    if (e.posato()) return Esito::avanti;
    guasto(e.codice, pos, dove, e.messaggio);
    return Esito::ritorno;
  }

  // --- stations -------------------------------------------------------------

  // Values 4 to 17 of a station entry, at their widths.
  void leggi_dati_stazione(Elemento& r) {
    r.dato_4 = r_.u8();
    r.dato_5 = r_.u8();
    r.dato_6 = r_.u8();
    r.dato_7 = r_.i16();
    r.dato_8 = r_.i16();
    r.dato_9 = r_.u8();
    r.dato_10 = r_.i16();
    r.dato_11 = r_.i16();
    r.dato_12 = r_.i16();
    r.dato_13 = r_.u8();
    const int64_t ore = r_.i32();
    const Campo dove_ore = r_.campo();
    const int64_t minuti = r_.i32();
    const int64_t secondi = r_.i32();
    const int64_t orario = (ore * 60 + minuti) * 60 + secondi;
    if (orario < std::numeric_limits<int32_t>::min() ||
        orario > std::numeric_limits<int32_t>::max()) {
      r_.fail_at(dove_ore, "station time " + n(orario) + " s does not fit in 32 bits");
    }
    r.orario = static_cast<int32_t>(orario);
    r.nome = testo_registrato("station name");
    testo_tagliato("station name", parole_chiave());
  }

  Esito stazione(const Campo& chiave) {
    const int32_t b = s_.indice_cartelli;
    // Record k must lie below the board texts. The check after every station
    // keeps k below them from the second station on; the first one is
    // checked here so that it never overwrites a board text.
    const bool c_e_posto = k_ >= 1 && k_ < b && k_ <= record_primo_cartello;
    Elemento fuori_tabella;
    Elemento& r = c_e_posto ? p_.elementi[static_cast<size_t>(k_)] : fuori_tabella;

    r.progressiva = r_.i32();
    const Campo dove = r_.campo();
    if (oltre_la_linea(r.progressiva, 800, dove, "station")) return Esito::fine_normale;
    if (r.progressiva % 50 != 0) {
      guasto(fault_code::station_position_off_grid, r.progressiva, dove,
             "station position " + n(r.progressiva) + " is not a multiple of 50");
      return Esito::ritorno;
    }
    r.tipo = r_.u8();
    const int32_t lunghezza = r_.i32();
    if (lunghezza % 100 != 0) {
      guasto(fault_code::station_length_off_grid, r.progressiva, r_.campo(),
             "station length " + n(lunghezza) + " is not a multiple of 100");
      return Esito::ritorno;
    }
    leggi_dati_stazione(r);

    if (!c_e_posto) {
      guasto(fault_code::element_table_full, std::nullopt, chiave,
             "no station record left below the indication-board texts (station " + n(k_) +
                 ", first board record " + n(b) + ")");
      return Esito::ritorno;
    }

    const EsitoPosa e = posa(dove, "station", [&] { return poni_stazione(p_, k_, lunghezza, b); });
    switch (e.codice) {
      case 0:
        return Esito::avanti;
      case 25:
        r_.fail_at(dove, e.messaggio);
      case 15:  // the range check's fault: the normal end follows
        guasto(fault_code::position_beyond_line, r.progressiva, dove, e.messaggio);
        return Esito::fine_normale;
      case 22:
        guasto(fault_code::stations_too_close, r.progressiva, dove, e.messaggio);
        return Esito::ritorno;
      case 10:  // no position; the entry's key stands for it
        guasto(fault_code::element_table_full, std::nullopt, chiave, e.messaggio);
        return Esito::ritorno;
      default:  // 24, no position
        guasto(e.codice, std::nullopt, dove, e.messaggio);
        return Esito::ritorno;
    }
  }

  // --- normal end -------------------------------------------------------------

  void fine_normale() {
    const Campo dove = r_.campo();
    // The profiles reach up to the cell before U - 2; at least one cell each.
    do {
      scrivi_velocita(dove);
      ++vel_.indice;
    } while (vel_.indice < u_ - 2);
    do {
      scrivi_aderenza(dove);
      ++ade_.indice;
    } while (ade_.indice < u_ - 2);

    for (int rec = record_progressiva_tre; rec <= record_progressiva_uno; ++rec) {
      const Elemento& e = p_.elementi[static_cast<size_t>(rec)];
      const char* campo = e.inizio % 50 != 0 ? "inizio" : e.fine % 50 != 0 ? "fine" : nullptr;
      if (!campo) continue;
      const bool primo = campo[0] == 'i';
      // The entry as written: the references were put in order, and a third
      // value of 1 added 100 to the second.
      for (const RiferimentoKm& k : s_.riferimenti_km) {
        if (k.inizio != e.inizio || int64_t{k.fine} + (k.terzo == 1 ? 100 : 0) != e.fine) continue;
        registra(p_, s_.log,
                 Fault{fault_code::km_reference_off_grid, std::nullopt, k.where,
                       "kilometre reference \"" + k.chiave + "\" has " + (primo ? "first" : "second") + " value " +
                           n(primo ? k.inizio : k.fine) + ", not a multiple of 50"});
        return;
      }
      guasto_senza_campo(
          2, std::nullopt,
          std::string("kilometre reference \"progressiva chilometrica ") +
              (rec == record_progressiva_tre ? "tre" : rec == record_progressiva_due ? "due" : "uno") +
              "\" of the line description has " + campo + " " +
              n(primo ? e.inizio : e.fine) + ", not a multiple of 50");
      break;
    }
  }

  bool trovato_generale_ = false;
  int riconosciute_ = 0;
  const int32_t u_;
  Profilo vel_;
  Profilo ade_;
  int32_t k_ = 1;  // the next station number
};

}  // namespace

void leggi_treno(StatoLettura& s, FieldReader& r) { LetturaTreno(s, r).esegui(); }

}  // namespace sc
