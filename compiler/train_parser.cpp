#include "compiler/train_parser.h"
#include "compiler/fault_codes.h"

#include <iterator>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/celle.h"
#include "compiler/description_keys.h"
#include "compiler/parser_base.h"
#include "compiler/station_placement.h"
#include "compiler/text_1252.h"
#include "compiler/train_placement.h"

namespace sc {
namespace {

// How an entry leaves the parse.
enum class EntryResult {
  ahead,       // go on with the next field
  normal_end,  // out-of-range position: end fills and the reference check still run
  returned,    // a fault that ends the parse at once
};

// A profile (speed or adhesion) filled cell by cell up to each entry.
struct FilledProfile {
  int32_t indice = 0;                   // next cell to fill
  int32_t in_force = 0;                 // value in force; 0 before the first entry
  Field dove;                           // the field that gave the value in force
  StepInForce entry;                    // the entry in force, for the warnings
  uint32_t origin = CellOrigins::none;  // that entry in the log's origins
};

std::string n(int64_t v) { return std::to_string(v); }

class TrainParser : ParserBase {
 public:
  TrainParser(ReadState& s, FieldReader& r) : ParserBase(s, r), u_(s.p.last_cell()) {}

  void run() {
    // Everything before the first "[generale]" is skipped.
    while (!r_.eof()) {
      if (contains_ic(r_.text(), "[generale]")) {
        found_general_ = true;
        break;
      }
    }
    while (!r_.eof()) {
      std::string f = r_.text();
      Field dove = r_.field();
      if (r_.eof()) break;  // the last field is never examined
      // A field with a hyphen is a comment: the next one takes its place,
      // at most twice; the third field is examined whatever it holds.
      if (!skip_comments(f, dove, 2, true, keywords())) break;
      foreign_comment(f, dove);
      note_label(f, dove);
      const EntryResult e = recoverable_entry([&] { return inspect(f, dove); }, EntryResult::ahead);
      if (e != EntryResult::ahead && s_.recovery) {
        r_.resume_after_line(dove.line);
        continue;
      }
      if (e == EntryResult::returned) return;
      if (e == EntryResult::normal_end) break;
    }
    normal_end();
    if (recognised_ == 0) {
      s_.log.avviso(
          11, r_.location(Field{}),
          "no entry of the train description was recognised: the train has no stations, signals, "
          "speeds or adhesion" +
              std::string(found_general_ ? "" : " (the file holds no \"[generale]\" line)"));
    }
  }

 private:
  using Action = EntryResult (TrainParser::*)(const Field&);

  static std::span<const std::string_view> keywords() {
    static const std::vector<std::string_view> parole = key_words(train_keys);
    return parole;
  }
  static std::span<const std::string_view> key_names() {
    static const std::vector<std::string_view> names = written_keys(train_keys);
    return names;
  }

  // The entry of each key.
  static Action action(TrainKey k) {
    switch (k) {
      case TrainKey::percentuale_massa_frenata: return &TrainParser::massa_frenata;
      case TrainKey::numero_vetture: return &TrainParser::numero_vetture;
      case TrainKey::velocita: return &TrainParser::velocita;
      case TrainKey::aderenza: return &TrainParser::aderenza;
      case TrainKey::orologio: return &TrainParser::orologio;
      case TrainKey::sabbia: return &TrainParser::sabbia;
      case TrainKey::segnale: return &TrainParser::segnale;
      case TrainKey::rallentamento: return &TrainParser::rallentamento;
      case TrainKey::abbattimento: return &TrainParser::abbattimento;
      case TrainKey::stazione: return &TrainParser::stazione;
    }
    throw std::logic_error("unknown train key");
  }

  // Every key test is applied to the field, in the order of train_keys; a
  // field holding two keys triggers both entries, each reading its own
  // values.
  EntryResult inspect(const std::string& f, const Field& dove) {
    bool recognised = false;
    for (size_t i = 0; i < std::size(train_keys); ++i) {
      const DescriptionKey& c = train_keys[i];
      if (!recognise(holds_key(c, f), dove, recognised, c.name, c.values)) continue;
      ++recognised_;
      const EntryResult e = (this->*action(static_cast<TrainKey>(i)))(dove);
      if (e != EntryResult::ahead) return e;
    }
    if (!recognised) unrecognised(f, dove, key_names());
    return EntryResult::ahead;
  }

  // --- checks shared by the entries ---------------------------------------

  // The range check: (pos + margin) / 50 must not exceed the last cell.
  bool beyond_line(int32_t pos, int32_t margin, const Field& dove, const char* entry) {
    if (int64_t{pos} + margin <= int64_t{50} * u_) return false;
    fault(fault_code::position_beyond_line, pos, dove,
          std::string(entry) + " at " + n(pos) +
              " m lies beyond the last position the line allows, " + n(int64_t{50} * u_ - margin) +
              " m");
    return true;
  }

  // An entry whose own cell would lie before cell 0 writes nothing: fault 15.
  bool before_line(int32_t pos, double cella, const Field& dove, const char* entry) {
    if (cella >= 0.0) return false;
    fault(fault_code::position_beyond_line, pos, dove,
          std::string(entry) + " at " + n(pos) + " m would mark " +
              cell_outside(static_cast<int64_t>(cella), u_));
    return true;
  }

  // --- profiles -------------------------------------------------------------

  uint8_t fifth(const FilledProfile& v) {
    const double q = arrotonda(static_cast<double>(v.in_force) / 5.0);
    if (q < 0.0 || q > 255.0) {
      r_.fail_at(v.dove, "speed " + n(v.in_force) + " km/h gives the speed byte " +
                             n(static_cast<int64_t>(q)) + ", outside 0..255");
    }
    return static_cast<uint8_t>(q);
  }

  void write_speed(const Field& dove) {
    cella(vel_.indice, dove, "speed").velocita = fifth(vel_);
    s_.log.origins.mark(vel_.indice, vel_.origin, CellLayer::velocita);
  }
  void write_adhesion(const Field& dove) {
    cella(ade_.indice, dove, "adhesion").aderenza =
        static_cast<uint8_t>(ade_.in_force);  // low 8 bits
    s_.log.origins.mark(ade_.indice, ade_.origin, CellLayer::aderenza);
  }

  // Fills the profile's cells from its fill index up to the cell before the
  // entry's cell n, with the value in force; at least one cell is written,
  // and the fill never passes the last cell.
  template <typename Write>
  void fill(FilledProfile& pr, double cella_entry, const Field& dove, Write write) {
    if (cella_entry <= 0.0) return;
    do {
      if (pr.indice >= u_) break;
      write(dove);
      ++pr.indice;
    } while (pr.indice < cella_entry);
  }

  EntryResult profile(FilledProfile& pr, const char* entry,
                      void (TrainParser::*write)(const Field&)) {
    const int32_t pos = r_.i32();
    const Field dove = r_.field();
    const int32_t valore = r_.i32();
    const Field dove_valore = r_.field();
    if (beyond_line(pos, 100, dove, entry)) return EntryResult::normal_end;
    // An entry whose cell is 0 or lower writes no cell.
    const double c = arrotonda(static_cast<double>(pos) / 50.0);
    const bool speed = write == &TrainParser::write_speed;
    step_out_of_order(speed ? "speed" : "adhesion", speed ? "km/h" : "", pos, valore, dove, c,
                      pr.indice, c > 0.0 && pr.indice < u_ ? 1 : 0, pr.entry);
    fill(pr, c, dove, [&](const Field& d) { (this->*write)(d); });
    pr.in_force = valore;
    pr.dove = dove_valore;
    pr.entry = {dove, valore, pr.indice};
    pr.origin = s_.log.origins.is_new(r_.location(dove), entry);
    if (speed && valore % 5 != 0 && valore > 0 && valore < 1278) {
      avviso(warning_code::value_rounded, dove_valore,
             "speed " + n(valore) + " km/h is stored in steps of 5 km/h, as " +
                 n(static_cast<int64_t>(arrotonda(valore / 5.0)) * 5) + " km/h");
    }
    if (write == &TrainParser::write_adhesion && (valore < 0 || valore > 255)) {
      avviso(10, dove_valore,
             "adhesion " + n(valore) + " is stored in one byte as " +
                 n(static_cast<uint8_t>(valore)) + " (its low 8 bits); give 0 to 255");
    }
    return EntryResult::ahead;
  }

  EntryResult velocita(const Field&) {
    return profile(vel_, "speed entry", &TrainParser::write_speed);
  }
  EntryResult aderenza(const Field&) {
    return profile(ade_, "adhesion entry", &TrainParser::write_adhesion);
  }

  // --- general values -------------------------------------------------------

  EntryResult massa_frenata(const Field& key) {
    given_again(key_of(TrainKey::percentuale_massa_frenata).name, key);
    p_.elementi[record_treno_linea].inizio = r_.i32();
    return EntryResult::ahead;
  }
  EntryResult numero_vetture(const Field& key) {
    given_again(key_of(TrainKey::numero_vetture).name, key);
    p_.elementi[record_treno_linea].progressiva = r_.i32();
    return EntryResult::ahead;
  }
  EntryResult orologio(const Field& key) {
    given_again(key_of(TrainKey::orologio).name, key);
    Elemento& e = p_.elementi[record_ripetizione];
    e.dato_10 = r_.i16();
    e.dato_11 = r_.i16();
    e.dato_12 = r_.i16();
    return EntryResult::ahead;
  }
  EntryResult sabbia(const Field& key) {
    given_again(key_of(TrainKey::sabbia).name, key);
    p_.elementi[record_ripetizione].dato_7 = r_.i16();
    return EntryResult::ahead;
  }

  // --- signals, restrictions, cab codes -----------------------------------------

  // After a placement: its fault ends the parse at the entry's position;
  // so does any fault number left by the line description.
  // `cella` is the cell whose taking the placement's fault tells.
  EntryResult after_placement(int32_t pos, const Field& dove, const Placement& e, const char* entry,
                              double cella) {
    if (!e.placed()) {
      if (e.codice == fault_code::run_failure) r_.fail_at(dove, e.message);
      fault(e.codice, pos, dove, e.message);
      note_cell_owner(cella);
      return EntryResult::returned;
    }
    // Reading on after the first fault, that fault is not told again.
    if (p_.codice_errore <= 0 || s_.recovery) return EntryResult::ahead;
    fault(p_.codice_errore, pos, dove,
          std::string(entry) + " placed, but fault " + n(p_.codice_errore) +
              " left by the line description ends the parse here");
    return EntryResult::returned;
  }

  EntryResult segnale(const Field&) {
    int32_t v[11];
    Field w[11];
    for (int i = 0; i < 11; ++i) {
      v[i] = r_.i32();
      w[i] = r_.field();
    }
    const Field dove = w[0];
    // SX and DX are packed as 0 to 2, the others as one decimal digit.
    static constexpr const char* names[] = {"",     "SX", "S1", "S2", "S3",
                                            "RAPP", "DX", "D1", "D2", "D3"};
    for (int i = 1; i <= 9; ++i) {
      const int32_t limit = i == 1 || i == 6 ? 2 : 9;
      if (v[i] < 0 || v[i] > limit) {
        avviso(10, w[i],
               std::string("signal value ") + names[i] + " " + n(v[i]) + " lies outside 0.." +
                   n(limit) +
                   "; it is packed into a decimal digit of the signal's cell and runs into its "
                   "neighbours");
      }
    }
    if (beyond_line(v[0], 100, dove, "signal")) return EntryResult::normal_end;
    const double c = arrotonda(static_cast<double>(v[0]) / 50.0 + 1.0);
    if (before_line(v[0], c, dove, "signal")) return EntryResult::normal_end;
    int32_t tempo = v[10];
    const Placement e = place(dove, "signal", [&] {
      return memo_segnale(p_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], tempo);
    });
    // TEMPO is kept only when SX is 2, in one byte.
    if (e.placed() && v[1] == 2 && (tempo < 0 || tempo > 255)) {
      avviso(warning_code::fewer_bits, w[10],
             "signal TEMPO " + n(v[10]) + " is stored in one byte as " +
                 n(static_cast<uint8_t>(tempo)) +
                 "; give 0, or 101 to 255 (1 to 100 are stored as 101)");
    }
    return after_placement(v[0], dove, e, "signal", c);
  }

  EntryResult rallentamento(const Field&) {
    int32_t v[6];
    Field w[6];
    for (int i = 0; i < 6; ++i) {
      v[i] = r_.i32();
      w[i] = r_.field();
    }
    const Field dove = w[0];
    const int32_t x = v[0];
    if (beyond_line(x, 100, dove, "restriction")) return EntryResult::normal_end;
    // Its start and end cells must lie within the cells too.
    const CelleRallentamento c = celle_rallentamento(x, v[2]);
    if (c.inizio < 0.0 || c.fine < 0.0 || c.fine > u_) {
      const bool inizio = c.inizio < 0.0;
      fault(fault_code::position_beyond_line, x, dove,
            "restriction at " + n(x) + " m, " + n(v[2]) + " m long, would mark its " +
                (inizio ? "start " : "end ") +
                cell_outside(static_cast<int64_t>(inizio ? c.inizio : c.fine), u_));
      return EntryResult::normal_end;
    }
    const Placement e = place(dove, "restriction", [&] {
      return memo_rallentamento(p_, x, v[1], v[2], v[3], v[4], v[5]);
    });
    if (e.placed()) {
      // Speed, f_tt and d_v are stored in 16-bit cell fields (d_v only when
      // it is not 0).
      static constexpr struct {
        int i;
        const char* name;
      } stored[] = {{1, "restriction speed"}, {3, "restriction f_tt"}, {5, "restriction d_v"}};
      for (const auto& f : stored) {
        if (v[f.i] >= -32768 && v[f.i] <= 32767) continue;
        avviso(warning_code::fewer_bits, w[f.i],
               std::string(f.name) + " " + n(v[f.i]) + " is stored in 16 bits as " +
                   n(static_cast<int16_t>(v[f.i])) + "; give -32768 to 32767");
      }
    }
    const double taken = e.codice == fault_code::restriction_warning_cell_taken ? c.avviso
                         : e.codice == fault_code::restriction_start_cell_taken ? c.inizio
                         : e.codice == fault_code::restriction_end_cell_taken   ? c.fine
                                                                                : -1.0;
    return after_placement(x, dove, e, "restriction", taken);
  }

  EntryResult abbattimento(const Field&) {
    const int32_t pos = r_.i32();
    const Field dove = r_.field();
    const int32_t valore = r_.i32();
    const Field dove_valore = r_.field();
    if (beyond_line(pos, 100, dove, "cab-code point")) return EntryResult::normal_end;
    // The cell at the position itself.
    const double cab_cell = arrotonda(static_cast<double>(pos) / 50.0);
    if (before_line(pos, cab_cell, dove, "cab-code point")) return EntryResult::normal_end;
    const Placement e = place(dove, "cab-code point", [&] { return set_cutoff(p_, pos, valore); });
    if (e.placed()) {
      if (valore > 32767) {
        avviso(warning_code::fewer_bits, dove_valore,
               "cut-off speed " + n(valore) + " is stored in 16 bits as " +
                   n(static_cast<int16_t>(valore)) + "; give 1 to 32767");
      } else if (valore < 0) {
        avviso(warning_code::value_rounded, dove_valore,
               "cut-off speed " + n(valore) +
                   " is below 0: it is dropped, and the cell is a code without speed, as for 0");
      }
      return EntryResult::ahead;
    }
    fault(e.codice, pos, dove, e.message);
    note_cell_owner(cab_cell);
    return EntryResult::returned;
  }

  // --- stations -------------------------------------------------------------

  // Values 4 to 17 of a station entry, at their widths.
  void read_station_data(Elemento& r) {
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
    const Field dove_ore = r_.field();
    const int64_t minuti = r_.i32();
    const Field dove_minuti = r_.field();
    const int64_t secondi = r_.i32();
    const Field dove_secondi = r_.field();
    const int64_t orario = (ore * 60 + minuti) * 60 + secondi;
    if (orario < std::numeric_limits<int32_t>::min() ||
        orario > std::numeric_limits<int32_t>::max()) {
      r_.fail_at(dove_ore, "station time " + n(orario) + " s does not fit in 32 bits");
    }
    r.orario = static_cast<int32_t>(orario);
    if (minuti < 0 || minuti > 59 || secondi < 0 || secondi > 59) {
      // Stored as seconds from midnight: the time reads back otherwise.
      const int64_t total = orario;
      const auto two = [](int64_t x) { return (x < 10 ? "0" : "") + std::to_string(x); };
      std::string back;
      if (total >= 0) back = n(total / 3600) + ":" + two(total / 60 % 60) + ":" + two(total % 60);
      avviso(warning_code::value_rounded, minuti < 0 || minuti > 59 ? dove_minuti : dove_secondi,
             "station time " + n(ore) + ":" + n(minuti) + ":" + n(secondi) + " is stored as " +
                 n(total) + " s from midnight" +
                 (back.empty() ? std::string() : ", which reads back as " + back) +
                 "; give minutes and seconds 0 to 59");
    }
    r.nome = recorded_text("station name");
    cut_text("station name", keywords());
  }

  EntryResult stazione(const Field& key) {
    const int32_t b = s_.indice_cartelli;
    // Record k must lie below the board texts. The check after every station
    // keeps k below them from the second station on; the first one is
    // checked here so that it never overwrites a board text.
    const bool has_room = k_ >= 1 && k_ < b && k_ <= first_board_record;
    Elemento outside_table;
    Elemento& r = has_room ? p_.elementi[static_cast<size_t>(k_)] : outside_table;

    r.progressiva = r_.i32();
    const Field dove = r_.field();
    if (beyond_line(r.progressiva, 800, dove, "station")) return EntryResult::normal_end;
    if (r.progressiva % 50 != 0) {
      fault(fault_code::station_position_off_grid, r.progressiva, dove,
            "station position " + n(r.progressiva) + " is not a multiple of 50");
      return EntryResult::returned;
    }
    r.tipo = r_.u8();
    const int32_t lunghezza = r_.i32();
    if (lunghezza % 100 != 0) {
      fault(fault_code::station_length_off_grid, r.progressiva, r_.field(),
            "station length " + n(lunghezza) + " is not a multiple of 100");
      return EntryResult::returned;
    }
    read_station_data(r);

    if (!has_room) {
      fault(fault_code::element_table_full, std::nullopt, key,
            "no station record left below the indication-board texts (station " + n(k_) +
                ", first board record " + n(b) + ")");
      return EntryResult::returned;
    }

    const Placement e = place(dove, "station", [&] { return place_station(p_, k_, lunghezza, b); });
    switch (e.codice) {
      case 0: station_at_.push_back(dove); return EntryResult::ahead;
      case 25: r_.fail_at(dove, e.message);
      case 15:  // the range check's fault: the normal end follows
        fault(fault_code::position_beyond_line, r.progressiva, dove, e.message);
        return EntryResult::normal_end;
      case 22:
        fault(fault_code::stations_too_close, r.progressiva, dove, e.message);
        if (!station_at_.empty())
          s_.log.add_note(s_.log.all().size() - 1,
                          {r_.location(station_at_.back()), "the station before it"});
        return EntryResult::returned;
      case 10:  // no position; the entry's key stands for it
        fault(fault_code::element_table_full, std::nullopt, key, e.message);
        return EntryResult::returned;
      default:  // 24, no position
        fault(e.codice, std::nullopt, dove, e.message);
        return EntryResult::returned;
    }
  }

  // --- normal end -------------------------------------------------------------

  void normal_end() {
    const Field dove = r_.field();
    // The profiles reach up to the cell before U - 2; at least one cell each.
    do {
      write_speed(dove);
      ++vel_.indice;
    } while (vel_.indice < u_ - 2);
    do {
      write_adhesion(dove);
      ++ade_.indice;
    } while (ade_.indice < u_ - 2);

    for (int rec = record_progressiva_tre; rec <= record_progressiva_uno; ++rec) {
      const Elemento& e = p_.elementi[static_cast<size_t>(rec)];
      const char* field = e.inizio % 50 != 0 ? "inizio" : e.fine % 50 != 0 ? "fine" : nullptr;
      if (!field) continue;
      const bool first = field[0] == 'i';
      // The entry as written: the references were put in order, and a third
      // value of 1 added 100 to the second.
      for (const KmReference& k : s_.km_references) {
        if (k.inizio != e.inizio || int64_t{k.fine} + (k.third == 1 ? 100 : 0) != e.fine) continue;
        record(
            p_, s_.log,
            Fault{fault_code::km_reference_off_grid, std::nullopt, first ? k.first_at : k.second_at,
                  "kilometre reference \"" + k.key + "\" has " + (first ? "first" : "second") +
                      " value " + n(first ? k.inizio : k.fine) + ", not a multiple of 50"});
        return;
      }
      fault_without_field(2, std::nullopt,
                          std::string("kilometre reference \"progressiva chilometrica ") +
                              (rec == record_progressiva_tre   ? "tre"
                               : rec == record_progressiva_due ? "due"
                                                               : "uno") +
                              "\" of the line description has " + field + " " +
                              n(first ? e.inizio : e.fine) + ", not a multiple of 50");
      break;
    }
  }

  bool found_general_ = false;
  int recognised_ = 0;
  const int32_t u_;
  FilledProfile vel_;
  FilledProfile ade_;
  int32_t k_ = 1;                  // the next station number
  std::vector<Field> station_at_;  // the positions of the stations placed
};

}  // namespace

void read_train(ReadState& s, FieldReader& r) { TrainParser(s, r).run(); }

}  // namespace sc
