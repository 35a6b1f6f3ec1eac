#include "compiler/line_parser.h"
#include "compiler/fault_codes.h"

#include <algorithm>
#include <optional>
#include <string>

#include "compiler/celle.h"
#include "compiler/description_keys.h"
#include "compiler/line_placement.h"
#include "compiler/parser_base.h"
#include "compiler/text_1252.h"
#include "compiler/tracciato_piano.h"
#include "format/positions.h"

namespace sc {
namespace {

// What an element entry leaves the element loop to do.
enum class ElementStep {
  ahead,          // next entry
  fine_elementi,  // fault 15: the element entries end, the end of the file follows
  returns,        // a fault ended the parse
};

// What an entry of the general section leaves its loop to do.
enum class Generale {
  ahead,        // next entry
  section_end,  // a section label ends the general section
  fault,        // a fault ended the parse
};

std::string num(int64_t v) { return std::to_string(v); }

// The words that tell the keys of each part of the line description, and
// the keys as the exported scenario writes them.
const std::vector<std::string_view>& parole_generale() {
  static const std::vector<std::string_view> parole = key_words(line_general_keys);
  return parole;
}
const std::vector<std::string_view>& general_names() {
  static const std::vector<std::string_view> names = written_keys(line_general_keys);
  return names;
}
const std::vector<std::string_view>& parole_elementi() {
  static const std::vector<std::string_view> parole = key_words(line_element_keys);
  return parole;
}
const std::vector<std::string_view>& element_names() {
  static const std::vector<std::string_view> names = written_keys(line_element_keys);
  return names;
}

class LineParser : ParserBase {
 public:
  LineParser(ReadState& s, FieldReader& r) : ParserBase(s, r) {}

  LineOutcome parse();

 private:
  // Reads a 32-bit value and keeps where it stood.
  int32_t valore(Field& where) {
    const int32_t v = r_.i32();
    where = r_.field();
    return v;
  }

  bool find_general();
  bool general_section();
  Generale general_entry(const Field& key_field);
  ElementStep elemento(const Field& key_field);
  bool lunghezza();
  void make_room();
  bool ripetizione(const Field& key_field);
  void triple(int record, const Field& key_field);

  ElementStep elementi();
  bool in_limits(int32_t posizione, const Field& where, const char* what);
  bool cell_within(double c, int32_t posizione, const Field& where, const char* what);
  ElementStep pendenza();
  ElementStep curva(const Field& key_field);
  ElementStep montagna();
  ElementStep indicatori();
  ElementStep cartello();

  void write_gradient();
  void km_references_dropped();
  void board_values(const int32_t* v, const Field* w);
  ElementStep after_placement(int32_t posizione, const Field* fields, const Placement& e,
                              double cella);

  bool read_length_ = false;
  bool length_entry_ = false;  // a "lunghezza percorso" entry was found
  int32_t lunghezza_ = 0;      // the last line length read
  bool lunghezza_ok_ = true;   // no fault in the line length
  bool curve_before_ = false;
  int32_t curve_start_before_ = 0;
  int curve_row_before_ = 0;
  std::optional<PianoTracciato> piano_;
  int32_t k_ = 0;         // gradient cursor: the next cell to fill
  int32_t g0_ = 0;        // the gradient in force
  Field loc_g0_;          // where the gradient in force was read (none for the start 0)
  Field cursor_field_;    // the progressive that moved the cursor last
  StepInForce gradient_;  // the gradient entry in force
  uint32_t g0_entry_ = CellOrigins::none;  // its entry in the log's origins
  // The cells each tunnel entry marked, and where its start stands.
  struct TunnelCells {
    int64_t first, last;
    Field where;
  };
  std::vector<TunnelCells> tunnels_;
};

LineOutcome LineParser::parse() {
  // No cells and no plan until the line length is read.
  p_.celle.clear();
  p_.tracciato = PlanSteps();

  if (!find_general()) return LineOutcome::fine;
  // The cells and the plan are made once, for the last length the general
  // section read, however the section ends: a length given many times
  // costs no more than once.
  bool followed = false;
  try {
    followed = general_section();
  } catch (...) {
    make_room();
    throw;
  }
  make_room();
  if (!followed) return LineOutcome::fine;

  // Between the sections.
  if (!read_length_) {
    // An entry whose length could not be read has its fault already.
    if (length_entry_) return LineOutcome::fine;
    fault(fault_code::no_line_length, std::nullopt, r_.field(),
          "the general section has no \"lunghezza percorso\" entry");
    return LineOutcome::fine;
  }
  progressive_ordina(p_);
  km_references_dropped();
  p_.numero_montagne = 0;
  s_.indice_cartelli = first_board_record;
  k_ = 0;
  g0_ = 0;
  g0_entry_ = CellOrigins::none;
  if (p_.modo != 0) {
    piano_.emplace(p_.tracciato);
    piano_->seed();
  }

  if (elementi() == ElementStep::returns) return LineOutcome::fine;

  // End of the line file: the last gradient fills the cells from the cursor
  // up to U - 3 (at least the cell at the cursor), and the plan runs straight
  // to its end.
  const int32_t u = p_.last_cell();
  do {
    write_gradient();
  } while (k_ < u - 2);
  if (piano_) piano_->complete();
  return LineOutcome::continua;
}

bool LineParser::find_general() {
  for (;;) {
    p_.riga = r_.text();
    if (r_.eof()) {
      fault(fault_code::no_general_section, std::nullopt, r_.field(),
            "no field containing \"[generale]\" before the last field of the file");
      return false;
    }
    if (contains_ic(p_.riga, "[generale]")) return true;
  }
}

bool LineParser::general_section() {
  for (;;) {
    if (r_.eof()) return true;
    p_.riga = r_.text();
    Field key_field = r_.field();
    if (r_.eof()) return true;  // the last field of the file is never a key
    // A field with a hyphen is a comment: the next field takes its place,
    // ten times in a row, with no end test between these reads.
    skip_comments(p_.riga, key_field, 10, false, parole_generale());
    foreign_comment(p_.riga, key_field);
    note_label(p_.riga, key_field);

    const Generale g = recoverable_entry([&] { return general_entry(key_field); }, Generale::ahead);
    if (g == Generale::section_end) return true;
    if (g == Generale::fault) {
      // A fault of the line length leaves no cells to read on with.
      if (!s_.recovery || !lunghezza_ok_) return false;
      r_.resume_after_line(key_field.line);
    }
  }
}

// One entry of the general section.
Generale LineParser::general_entry(const Field& key_field) {
  const std::string k = p_.riga;
  bool recognised = false;
  // Each test that matches reads its entry.
  auto entry = [&](LineGeneralKey g) {
    const DescriptionKey& key = key_of(g);
    if (!recognise(holds_key(key, k), key_field, recognised, key.name, key.values)) return false;
    given_again(key.name, key_field);
    return true;
  };
  const bool length_entry = entry(LineGeneralKey::lunghezza_percorso);
  length_entry_ = length_entry_ || length_entry;
  if (length_entry && !lunghezza()) {
    lunghezza_ok_ = false;
    return Generale::fault;
  }
  if (entry(LineGeneralKey::progressiva_tre)) {
    triple(record_progressiva_tre, key_field);
  }
  if (entry(LineGeneralKey::progressiva_due)) {
    triple(record_progressiva_due, key_field);
  }
  if (entry(LineGeneralKey::progressiva_uno)) {
    triple(record_progressiva_uno, key_field);
  }
  if (entry(LineGeneralKey::sfondo_uno)) {
    p_.elementi.at(record_sfondo_identita).inizio = r_.i32();
  }
  if (entry(LineGeneralKey::sfondo_due)) {
    p_.elementi.at(record_sfondo_identita).progressiva = r_.i32();
  }
  if (entry(LineGeneralKey::sfondo_tre)) {
    p_.elementi.at(record_sfondo_identita).fine = r_.i32();
  }
  if (entry(LineGeneralKey::ripetizione_segnali) && !ripetizione(key_field)) {
    return Generale::fault;
  }

  if (contains(k, "[") && contains(k, "]") && !without_leading_blanks(k).starts_with("-")) {
    return Generale::section_end;
  }
  if (!recognised) unrecognised(k, key_field, general_names());
  return Generale::ahead;
}

bool LineParser::lunghezza() {
  Field where;
  const int32_t l = valore(where);
  p_.elementi.at(record_treno_linea).fine = l;
  if (l > max_length || l < 0) {
    fault(1, std::nullopt, where,
          "line length " + num(l) + (l < 0 ? " is below 0" : " is above " + num(max_length)));
    return false;
  }
  p_.lunghezza_totale = l + coda_linea;
  lunghezza_ = l;
  read_length_ = true;
  return true;
}

void LineParser::make_room() {
  if (!read_length_) return;
  create_cells(p_, lunghezza_);
  if (p_.modo != 0) create_plan(p_);
}

void LineParser::triple(int record, const Field& key_field) {
  Elemento& e = p_.elementi.at(static_cast<size_t>(record));
  Field first, second;
  e.inizio = valore(first);
  e.fine = valore(second);
  e.progressiva = r_.i32();
  s_.km_references.push_back({r_.location(key_field), quote(without_leading_blanks(p_.riga)),
                              e.inizio, e.fine, e.progressiva, r_.location(first),
                              r_.location(second)});
}

bool LineParser::ripetizione(const Field& key_field) {
  Field w1, w2;
  const int32_t v1 = valore(w1);
  const int32_t v2 = valore(w2);
  Elemento& e = p_.elementi.at(record_ripetizione);
  e.inizio = v1;
  e.fine = v2;
  if (v1 % 50 != 0) {
    fault(fault_code::first_repetition_off_grid, std::nullopt, w1,
          "first ripetizione value " + num(v1) + " is not a multiple of 50");
    return false;
  }
  if (v2 % 50 != 0) {
    fault(fault_code::second_repetition_off_grid, std::nullopt, w2,
          "second ripetizione value " + num(v2) + " is not a multiple of 50");
    return false;
  }
  if (contains(p_.riga, "4")) {
    e.progressiva = 4;
  } else if (contains(p_.riga, "9")) {
    e.progressiva = 9;
  } else {
    fault(fault_code::repetition_without_count, std::nullopt, key_field,
          "ripetizione key names neither 4 nor 9 codes");
    return false;
  }
  if (v2 == 0) e.progressiva = 0;
  return true;
}

ElementStep LineParser::elementi() {
  for (;;) {
    if (r_.eof()) return ElementStep::ahead;
    p_.riga = r_.text();
    Field key_field = r_.field();
    if (r_.eof()) return ElementStep::ahead;
    // Up to two comment fields (with a hyphen) in a row give way to the next.
    if (!skip_comments(p_.riga, key_field, 2, true, parole_elementi())) return ElementStep::ahead;
    foreign_comment(p_.riga, key_field);
    note_label(p_.riga, key_field);

    const ElementStep outcome =
        recoverable_entry([&] { return elemento(key_field); }, ElementStep::ahead);
    if (outcome != ElementStep::ahead) {
      if (!s_.recovery) return outcome;
      r_.resume_after_line(key_field.line);
    }
  }
}

// One element entry: every test that matches handles its entry, in this
// order.
ElementStep LineParser::elemento(const Field& key_field) {
  const std::string k = p_.riga;
  bool recognised = false;
  auto entry = [&](LineElementKey e) {
    const DescriptionKey& key = key_of(e);
    return recognise(holds_key(key, k), key_field, recognised, key.name, key.values);
  };
  ElementStep outcome = ElementStep::ahead;
  if (entry(LineElementKey::pendenza)) outcome = pendenza();
  if (outcome == ElementStep::ahead && p_.modo != 0 && entry(LineElementKey::curva)) {
    outcome = curva(key_field);
  }
  if (outcome == ElementStep::ahead && entry(LineElementKey::montagna)) outcome = montagna();
  if (outcome == ElementStep::ahead && entry(LineElementKey::indicatori_vmax))
    outcome = indicatori();
  if (outcome == ElementStep::ahead && entry(LineElementKey::cartello_indicatore)) {
    outcome = cartello();
  }
  if (outcome != ElementStep::ahead) return outcome;
  // Without the track plan curves are not read: that is no unknown key.
  if (p_.modo == 0 && holds_key(key_of(LineElementKey::curva), k)) {
    warned_line_ = key_field.line;
    return ElementStep::ahead;
  }
  if (!recognised) unrecognised(k, key_field, element_names());
  return ElementStep::ahead;
}

// The bound test: an entry is accepted when (p + 100) / 50 <= U. A
// negative progressive passes it; each entry then refuses only a cell of
// its own that would lie outside the cells.
bool LineParser::in_limits(int32_t posizione, const Field& where, const char* what) {
  const int32_t u = p_.last_cell();
  if ((posizione + 100.0) / 50.0 <= u) return true;
  fault(fault_code::position_beyond_line, posizione, where,
        std::string(what) + " at " + num(posizione) +
            " m lies beyond the last position the line allows, " + num(int64_t{50} * u - 100) +
            " m");
  return false;
}

// Fault 15 for an entry whose cell `c` lies outside the cells; false then.
bool LineParser::cell_within(double c, int32_t posizione, const Field& where, const char* what) {
  if (c >= 0 && c <= p_.last_cell()) return true;
  fault(fault_code::position_beyond_line, posizione, where,
        std::string(what) + " at " + num(posizione) + " m would mark " +
            cell_outside(static_cast<int64_t>(c), p_.last_cell()));
  return false;
}

// Writes the gradient in force into the cell at the cursor and moves on.
void LineParser::write_gradient() {
  Cella& c = cella(k_, cursor_field_, "gradient");
  const int64_t byte = int64_t{g0_} + 100;
  if (byte < 0 || byte > 255) {
    r_.fail_at(loc_g0_,
               "gradient " + num(g0_) + " gives the cell byte " + num(byte) + ", outside 0..255");
  }
  c.pendenza = static_cast<uint8_t>(byte);
  s_.log.origins.mark(k_, g0_entry_, CellLayer::pendenza);
  ++k_;
}

ElementStep LineParser::pendenza() {
  Field wp, wg;
  const int32_t pos = valore(wp);
  const int32_t g = valore(wg);
  if (!in_limits(pos, wp, "gradient")) return ElementStep::fine_elementi;
  const double q = arrotonda(pos / 50.0);
  step_out_of_order("gradient", "per mille", pos, g, wp, q, k_, q > 0 ? 1 : 0, gradient_);
  if (q > 0) {
    cursor_field_ = wp;
    // Always at least the cell at the cursor.
    do {
      write_gradient();
    } while (k_ < q);
  }
  g0_ = g;
  loc_g0_ = wg;
  g0_entry_ = s_.log.origins.is_new(r_.location(wp), "gradient");
  gradient_ = {wp, g, k_};
  return ElementStep::ahead;
}

ElementStep LineParser::curva(const Field& key_field) {
  Field ws, wl;
  const int32_t s = valore(ws);
  const int32_t l = valore(wl);
  if (!in_limits(s, ws, "curve")) return ElementStep::fine_elementi;
  const std::string key = p_.riga;
  // The plan holds every metre up to `reached`; a curve goes on from
  // there, so any part of it before that point is lost.
  const int64_t reached = int64_t{piano_.value().cursor()} - 1;
  const std::string effect = int64_t{s} + l <= reached
                                 ? "it has no effect"
                                 : "only its part from " + num(reached) + " m is drawn";
  if (curve_before_ && s < curve_start_before_) {
    avviso(6, ws,
           "curve starts at " + num(s) + " m, before the curve above it (at " +
               num(curve_start_before_) + " m, line " + num(curve_row_before_) +
               "); the track plan only goes forward: " + effect);
  } else if (s < reached && l > 0) {
    avviso(5, ws,
           "curve starts at " + num(s) + " m, behind the " + num(reached) +
               " m the track plan has reached: " + effect);
  }
  curve_before_ = true;
  curve_start_before_ = s;
  curve_row_before_ = ws.line;
  switch (piano_.value().add_curve(key, s, l)) {
    case CurveOutcome::done: return ElementStep::ahead;
    case CurveOutcome::without_class:
      fault(fault_code::curve_or_plan_out_of_range, std::nullopt, key_field,
            "curve key \"" + quote(key) + "\" holds no class digit 1 to 6");
      break;
    case CurveOutcome::beyond_plan:
      fault(fault_code::curve_or_plan_out_of_range, std::nullopt, wl,
            "curve ends at " + num(int64_t{s} + l) + " m, beyond the last track plan row " +
                num(p_.tracciato.rows() - 1));
      break;
    case CurveOutcome::beyond_limit:
      fault(fault_code::curve_or_plan_out_of_range, std::nullopt, wl,
            "track plan passes row " + num(max_plan_cursor));
      break;
  }
  return ElementStep::returns;
}

ElementStep LineParser::montagna() {
  Field wi, wf, wt;
  int32_t inizio = valore(wi);
  int32_t fine = valore(wf);
  int32_t tipo = valore(wt);
  if (!in_limits(inizio, wi, "tunnel")) return ElementStep::fine_elementi;
  if (p_.numero_montagne >= numero_montagne_max) {
    fault(fault_code::position_beyond_line, inizio, wi,
          "tunnel at " + num(inizio) + " m is one more than the " + num(numero_montagne_max) +
              " stretches the tunnel table holds");
    return ElementStep::fine_elementi;
  }
  if (!montagna_collocabile(p_, inizio, fine)) {
    const CelleMontagna c = celle_montagna(inizio, fine);
    if (c.first < 0) {
      fault(
          fault_code::position_beyond_line, inizio, wi,
          "tunnel from " + num(inizio) + " m would mark " + cell_outside(c.first, p_.last_cell()));
      return ElementStep::fine_elementi;
    }
    fault(fault_code::position_beyond_line, inizio, wf,
          "tunnel " + num(inizio) + ".." + num(fine) + " m covers cells " + num(c.first) + ".." +
              num(c.last) + ", beyond the last cell " + num(p_.last_cell()));
    return ElementStep::fine_elementi;
  }
  if (celle_montagna(inizio, fine).vuota()) {
    avviso(7, wf,
           "tunnel ends at " + num(fine) + " m, before it starts at " + num(inizio) +
               " m: it marks no cell");
  }
  const int32_t written = tipo;
  memo_montagna(p_, inizio, fine, tipo);  // records no fault of its own
  if (tipo < 0 || tipo > 255) {
    avviso(warning_code::fewer_bits, wt,
           "tunnel kind " + num(written) + " is stored in one byte as " +
               num(static_cast<uint8_t>(tipo)) +
               (written > 10 ? " (" + num(written) + " is kind " + num(tipo) + " with markers)"
                             : std::string()) +
               "; give 0 to 10, or 11 to 265 for markers");
  }
  const CelleMontagna c = celle_montagna(inizio, fine);
  if (!c.vuota()) {
    for (const TunnelCells& t : tunnels_) {
      if (t.last < c.first || c.last < t.first) continue;
      const int64_t from = std::max(t.first, c.first), to = std::min(t.last, c.last);
      avviso(warning_code::entry_overridden, wi,
             "tunnel " + num(inizio) + ".." + num(fine) + " m overlaps the tunnel of line " +
                 num(t.where.line) + ": its kind replaces that tunnel's from " + num(from * 50) +
                 " to " + num((to + 1) * 50) + " m",
             {{r_.location(t.where), "the tunnel whose cells it takes"}});
      break;
    }
    tunnels_.push_back({c.first, c.last, wi});
  }
  const uint32_t entry = s_.log.origins.is_new(r_.location(wi), "tunnel");
  for (int64_t i = c.first; i <= c.last; ++i)
    s_.log.origins.mark(static_cast<int32_t>(i), entry, CellLayer::galleria);
  return ElementStep::ahead;
}

ElementStep LineParser::indicatori() {
  // posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced
  int32_t v[9];
  Field w[9];
  for (int i = 0; i < 9; ++i) v[i] = valore(w[i]);
  const int32_t posizione = v[0];
  if (!in_limits(posizione, w[0], "speed-indicator board")) return ElementStep::fine_elementi;
  const double c = arrotonda(posizione / 50.0 + 1.0);
  if (!cell_within(c, posizione, w[0], "speed-indicator board")) return ElementStep::fine_elementi;
  const ElementStep outcome =
      after_placement(posizione, w,
                      place(w[0], "speed-indicator board",
                            [&] {
                              return memo_indicatori_v_max(p_, posizione, v[1], v[2], v[3], v[4],
                                                           v[5], v[6], v[7], v[8]);
                            }),
                      c);
  if (outcome == ElementStep::ahead) board_values(v, w);
  return outcome;
}

// After the references were put in order: when their first values add up
// to 0 and none has a second value above 0, all three are stored as 0.
void LineParser::km_references_dropped() {
  for (int rec = record_progressiva_tre; rec <= record_progressiva_uno; ++rec) {
    const Elemento& e = p_.elementi.at(static_cast<size_t>(rec));
    if (e.inizio != 0 || e.fine != 0 || e.progressiva != 0) return;
  }
  for (const KmReference& k : s_.km_references) {
    if (k.inizio == 0 && k.fine == 0 && k.third == 0) continue;
    s_.log.avviso(
        warning_code::value_rounded, k.where,
        "kilometre reference \"" + k.key +
            "\" is dropped (stored as 0, 0, 0): the "
            "first values of the references add up to 0 and none has a second value above 0");
  }
}

// The values of a placed speed-indicator board that its cell cannot give
// back: each pair (left and right speed, the two stripe counts) shares one
// 16-bit value, the left one in the hundreds (tens for the stripes).
void LineParser::board_values(const int32_t* v, const Field* w) {
  static constexpr const char* pairs[] = {"a", "b", "c"};
  for (int i = 0; i < 3; ++i) {
    const int32_t left = v[1 + i], right = v[5 + i];
    const int32_t stored = static_cast<int32_t>(arrotonda(left * 20.0 + right / 5.0));
    const int32_t shown_left = left_speed(stored), shown_right = right_speed(stored);
    if (shown_left == left && shown_right == right) continue;
    // The right speed is at fault when it is no multiple of 5 in 0..495.
    const bool right_off = right < 0 || right > 495 || right % 5 != 0;
    avviso(warning_code::fewer_bits, w[right_off ? 5 + i : 1 + i],
           std::string("speeds ") + pairs[i] + " of the board, left " + num(left) + " and right " +
               num(right) + " km/h, are stored as " + num(stored) +
               (right_off ? ": the right speed spills into the left one"
                          : ": the left speed is stored in steps of 5 km/h and spills into the "
                            "right one") +
               "; the board shows left " + num(shown_left) + " and right " + num(shown_right) +
               " km/h (give multiples of 5, the right one below 500)");
  }
  const int64_t stripes = int64_t{v[4]} * 10 + v[8];  // within 16 bits once placed
  if (stripes / 10 != v[4] || stripes % 10 != v[8]) {
    const bool right_off = v[8] < 0 || v[8] > 9;
    avviso(warning_code::fewer_bits, w[right_off ? 8 : 4],
           "stripe counts left " + num(v[4]) + " and right " + num(v[8]) + " are stored as " +
               num(stripes) + ", which the board shows as left " + num(stripes / 10) +
               " and right " + num(stripes % 10) + " (give the right count 0 to 9)");
  }
}

ElementStep LineParser::cartello() {
  Field wp;
  const int32_t posizione = valore(wp);
  p_.riga = recorded_text("board text");
  cut_text("board text", parole_elementi());
  if (!in_limits(posizione, wp, "indication board")) return ElementStep::fine_elementi;
  const double c = arrotonda(posizione / 50.0 + 1.0);
  if (!cell_within(c, posizione, wp, "indication board")) return ElementStep::fine_elementi;
  return after_placement(
      posizione, &wp,
      place(wp, "indication board",
            [&] { return place_board(p_, posizione, p_.riga, s_.indice_cartelli); }),
      c);
}

// A placement's fault ends the parse at the entry's position; a value that
// does not fit its cell field is a run failure at that value.
ElementStep LineParser::after_placement(int32_t posizione, const Field* fields, const Placement& e,
                                        double cella) {
  if (e.placed()) return ElementStep::ahead;
  if (e.codice == fault_code::run_failure) r_.fail_at(fields[e.valore], e.message);
  fault(e.codice, posizione, fields[0], e.message);
  if (e.codice == fault_code::indication_board_cell_taken ||
      e.codice == fault_code::speed_board_cell_taken)
    note_cell_owner(cella);
  return ElementStep::returns;
}

}  // namespace

LineOutcome read_line(ReadState& s, FieldReader& r) { return LineParser(s, r).parse(); }

}  // namespace sc
