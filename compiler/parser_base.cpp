#include "compiler/parser_base.h"

#include "compiler/text_1252.h"
#include "format/elementi.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace sc {

void ParserBase::fault(int32_t codice, std::optional<int32_t> posizione, const Field& dove,
                       std::string message) {
  record(p_, s_.log, Fault{codice, posizione, r_.location(dove), std::move(message)});
}

void ParserBase::fault_without_field(int32_t codice, std::optional<int32_t> posizione,
                                     std::string message) {
  record(p_, s_.log, Fault{codice, posizione, std::nullopt, std::move(message)});
}

void ParserBase::avviso(int32_t numero, const Field& dove, std::string message,
                        std::vector<Note> notes) {
  s_.log.avviso(numero, r_.location(dove), std::move(message), std::move(notes));
}

void ParserBase::after_placing_cells(const CellWatch& watch, const Field& dove, const char* what) {
  uint32_t entry = 0;
  bool is_new = false;
  for (const CellWatch::SeenCell& v : watch.seen()) {
    const Cella& after = p_.celle[static_cast<size_t>(v.indice)];
    if (!changed_cell(v.first, after)) continue;
    if (!is_new) {
      entry = s_.log.origins.is_new(r_.location(dove), what);
      is_new = true;
    }
    if (!free_cell(v.first) && after.tipo != v.first.tipo) {
      std::vector<Note> notes;
      std::string whose;
      if (const CellOrigins::CellOrigin* o = s_.log.origins.at(v.indice)) {
        notes.push_back({o->where, "the " + o->what + " placed here"});
        whose = ", placed on line " + std::to_string(o->where.line);
      }
      avviso(8, dove,
             std::string("the ") + what + " replaces " + cell_content(v.first.tipo) + " in cell " +
                 std::to_string(v.indice) + " (at " + std::to_string(int64_t{v.indice} * 50) +
                 " m)" + whose + "; that element is lost",
             std::move(notes));
    }
    s_.log.origins.mark(v.indice, entry);
  }
}

Cella& ParserBase::cella(double indice, const Field& dove, const std::string& role) {
  if (!p_.ha_celle()) r_.fail_at(dove, "no cells: the line description gave no line length");
  if (!(indice >= 0 && indice <= p_.last_cell())) {
    r_.fail_at(dove, role + " cell " + std::to_string(static_cast<int64_t>(indice)) +
                         " lies outside the cells 0.." + std::to_string(p_.last_cell()));
  }
  return p_.celle[static_cast<size_t>(indice)];
}

std::string ParserBase::recorded_text(const char* what) {
  const Field entry_end = r_.field();  // the entry's last field before its text
  std::string t = r_.stored_text();
  const Field taken = r_.field();
  if (entry_end.line > 0 && taken.line != entry_end.line) {
    // The entry's line ended before its text: the reader went on to the
    // next field, wherever it stands.
    warned_line_ = taken.line;
    avviso(warning_code::text_missing, taken,
           "\"" + quote(t) + "\" is taken as the " + what + " of the entry on line " +
               std::to_string(entry_end.line) + ", whose line ends before its " + what +
               "; the rest of this line is read as further fields",
           {{r_.location(entry_end), std::string("the entry whose ") + what + " is missing"}});
  } else if (t.find_first_not_of(" \t") == std::string::npos) {
    avviso(warning_code::text_missing, taken,
           std::string("the ") + what + " is empty: an empty text is stored");
  }
  if (t.size() > max_name_length) {
    r_.fail(std::string(what) + " is " + std::to_string(t.size()) +
            " bytes long; the element table holds at most " + std::to_string(max_name_length));
  }
  return t;
}

bool ParserBase::skip_comments(std::string& field, Field& dove, int times, bool end_count,
                               std::span<const std::string_view> parole) {
  for (int n = 0; n < times && contains(field, "-"); ++n) {
    for (std::string_view word : parole) {
      if (!contains_ic(field, word)) continue;
      avviso(4, dove,
             "\"" + quote(field) +
                 "\" holds a hyphen, so it is passed over as a comment: its entry has no "
                 "effect and its values are tried as keys");
      warned_line_ = dove.line;
      break;
    }
    field = r_.text();
    dove = r_.field();
    if (end_count && r_.eof()) return false;
  }
  return true;
}

void ParserBase::mark_entry(const Field& dove) {
  entry_line_ = dove.line;
  if (fine_label_.line > 0 && !fine_told_) {
    fine_told_ = true;
    avviso(warning_code::after_fine, dove,
           "this entry stands after \"[fine]\", which ends nothing: it is compiled, and so is "
           "every entry after it",
           {{r_.location(fine_label_), "the label the entries follow"}});
  }
}

void ParserBase::note_cell_owner(double cella) {
  if (!(cella >= 0 && cella <= p_.last_cell()) || s_.log.all().empty()) return;
  if (const CellOrigins::CellOrigin* o = s_.log.origins.at(static_cast<int32_t>(cella)))
    s_.log.add_note(s_.log.all().size() - 1, {o->where, "the " + o->what + " placed here"});
}

void ParserBase::note_label(const std::string& field, const Field& dove) {
  if (fine_label_.line == 0 && contains_ic(field, "[fine]")) fine_label_ = dove;
}

void ParserBase::given_again(const char* key, const Field& key_field) {
  for (auto& [name, earlier] : given_) {
    if (name != key) continue;
    avviso(warning_code::entry_overridden, earlier,
           std::string("\"") + key + "\" is given again on line " + std::to_string(key_field.line) +
               ": the later entry replaces this one",
           {{r_.location(key_field), "the entry in force"}});
    earlier = key_field;
    return;
  }
  given_.emplace_back(key, key_field);
}

void ParserBase::step_out_of_order(const char* what, const char* unit, int32_t pos, int64_t value,
                                   const Field& where, double cella, int64_t cursor, int64_t kept,
                                   const StepInForce& before) {
  if (cella > static_cast<double>(cursor) || cursor <= 0 || value == before.value) return;
  const int64_t starts = cursor + kept;
  const std::string m = [](int64_t c) { return std::to_string(c * 50) + " m"; }(starts);
  std::vector<Note> notes;
  std::string in_force;
  if (before.position.line > 0) {
    const std::string value = std::to_string(before.value) + " " + unit;
    if (starts > before.from) {
      in_force = "; the " + value + " of line " + std::to_string(before.position.line) +
                 " stays in force from " + std::to_string(before.from * 50) + " to " + m;
      notes.push_back(
          {r_.location(before.position), std::string("the ") + what + " entry in force from " +
                                             std::to_string(before.from * 50) + " to " + m});
    } else {
      in_force = "; the " + value + " of line " + std::to_string(before.position.line) +
                 " is never written";
      notes.push_back({r_.location(before.position),
                       std::string("the ") + what + " entry this one overrides before any cell"});
    }
  }
  avviso(warning_code::profile_overridden, where,
         std::string(what) + " entry at " + std::to_string(pos) + " m falls in the cell at " +
             std::to_string(static_cast<int64_t>(std::max(cella, 0.0)) * 50) +
             " m, but the entries above have filled the cells up to " +
             std::to_string(cursor * 50) + " m: it takes effect only from " + m + in_force,
         std::move(notes));
}

}  // namespace sc

namespace sc {
namespace {

size_t distance(std::string_view a, std::string_view b) {
  std::vector<size_t> riga(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) riga[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = riga[0];
    riga[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = riga[j];
      riga[j] = std::min({riga[j] + 1, riga[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return riga[b.size()];
}

std::string stripped(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

void ParserBase::unrecognised(const std::string& field, const Field& dove,
                              std::span<const std::string_view> names) {
  const std::string f = stripped(field);
  if (f.empty() || dove.line <= 0 || dove.line == warned_line_) return;
  if (contains(f, "[") && contains(f, "]")) return;  // a section label
  if (dove.numero > 1) {
    if (dove.line != entry_line_) return;  // a value of an entry that was not recognised
    warned_line_ = dove.line;
    avviso(2, dove,
           "value \"" + quote(f) +
               "\" is left over after the entry: it is read as a key, and skipped");
    return;
  }
  const unsigned char c0 = static_cast<unsigned char>(f[0]);
  if (std::isdigit(c0) || c0 == '-' || c0 == '+') return;  // values, not a key
  warned_line_ = dove.line;
  const std::string lower = lowercase_1252(f);
  std::string_view best;
  size_t best_d = SIZE_MAX;
  for (std::string_view nome : names) {
    const size_t d = distance(lower, nome);
    if (d < best_d) {
      best_d = d;
      best = nome;
    }
  }
  std::string hint;
  if (best_d == 0) {
    hint = "; keys are told by letter case here: did you mean `" + std::string(best) + "`?";
  } else if (best_d <= std::max<size_t>(2, best.size() / 3)) {
    hint = "; did you mean `" + std::string(best) + "`?";
  }
  avviso(1, dove, "unknown key \"" + quote(f) + "\": the entry is skipped" + hint);
}

void ParserBase::foreign_comment(const std::string& field, const Field& dove) {
  if (dove.numero != 1) return;
  const std::string f = stripped(field);
  if (!(f.starts_with("#") || f.starts_with("//") || f.starts_with(";"))) return;
  warned_line_ = dove.line;
  avviso(3, dove,
         "\"" + quote(f.substr(0, f[0] == '/' ? 2 : 1)) +
             "\" does not start a comment here: the line is read as usual, and a key in it takes "
             "effect");
}

void ParserBase::cut_text(const char* what, std::span<const std::string_view> parole) {
  if (r_.ends_line()) return;
  const std::string_view after = r_.next_field();
  if (contains(after, "[")) return;
  for (std::string_view word : parole) {
    if (contains_ic(after, word)) return;
  }
  const Field c = r_.field();
  warned_line_ = c.line;
  avviso(9, c,
         std::string("the ") + what +
             " ends at a comma: the rest of the line is read as further fields");
}

}  // namespace sc
