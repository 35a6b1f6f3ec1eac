#include "lsp/outline.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "compiler/description_keys.h"
#include "lsp/assist.h"

namespace sc::lsp {
namespace {

using json = nlohmann::json;

// The protocol's SymbolKind values used here.
namespace symbol_kind {
inline constexpr int section = 3;   // Namespace
inline constexpr int station = 5;   // Class
inline constexpr int setting = 7;   // Property
inline constexpr int placed = 8;    // Field
inline constexpr int unknown = 20;  // Key
inline constexpr int signal = 24;   // Event
}  // namespace symbol_kind

bool blank(char c) { return c == ' ' || c == '\t'; }

// The byte range of a field without the blanks around it.
struct Span {
  size_t begin = 0, end = 0;
};
Span trimmed_span(std::string_view line, size_t begin, size_t end) {
  while (begin < end && blank(line[begin])) ++begin;
  while (end > begin && blank(line[end - 1])) --end;
  return {begin, end};
}

// The fields of a line (without its line end), split at its commas.
std::vector<Span> fields_of(std::string_view line) {
  std::vector<Span> out;
  for (size_t from = 0;;) {
    const size_t comma = line.find(',', from);
    const size_t end = comma == std::string_view::npos ? line.size() : comma;
    out.push_back(trimmed_span(line, from, end));
    if (comma == std::string_view::npos) return out;
    from = comma + 1;
  }
}

// A field's text with each run of blanks made one space.
std::string collapsed(std::string_view s) {
  std::string out;
  for (const char c : s) {
    if (blank(c)) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Where the lines before leave the reader of a line description.
enum class Reading { before_general, general, elements };

// The key a key field holds, from the tables of the description and its
// place in it (in the line description the keys of the part it stands in
// first, then those of the other, which the parse does not take there).
const DescriptionKey* key_in(std::string_view field, bool line_description, Reading r) {
  const std::span<const DescriptionKey> general(line_general_keys), elements(line_element_keys);
  std::span<const DescriptionKey> tables[2];
  if (!line_description)
    tables[0] = train_keys;
  else if (r == Reading::elements)
    tables[0] = elements, tables[1] = general;
  else
    tables[0] = general, tables[1] = elements;
  for (const std::span<const DescriptionKey> table : tables) {
    for (const DescriptionKey& k : table) {
      if (holds_key(k, field)) return &k;
    }
  }
  return nullptr;
}

// The ranges of a document's lines in the editor's units.
class Lines {
 public:
  Lines(std::string_view text, PositionEncoding e) : e_(e) {
    const std::vector<size_t> starts = line_starts(text);
    for (size_t i = 0; i < starts.size(); ++i) {
      const size_t end = i + 1 < starts.size() ? starts[i + 1] : text.size();
      std::string_view l = text.substr(starts[i], end - starts[i]);
      while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) l.remove_suffix(1);
      lines_.push_back(l);
    }
  }
  size_t size() const { return lines_.size(); }
  std::string_view operator[](size_t i) const { return lines_[i]; }
  // The position of byte `at` of line `i`.
  json position(size_t i, size_t at) const {
    return {{"line", i}, {"character", units(lines_[i].substr(0, at), e_)}};
  }
  json range(size_t i0, size_t at0, size_t i1, size_t at1) const {
    return {{"start", position(i0, at0)}, {"end", position(i1, at1)}};
  }

 private:
  PositionEncoding e_;
  std::vector<std::string_view> lines_;
};

// The symbol of an entry whose key `k` stands in field `at` of `fields`
// (its values after it, as many as the line holds).
json entry_symbol(const Lines& lines, size_t i, const std::vector<Span>& fields, size_t at,
                  const DescriptionKey& k) {
  const std::string_view l = lines[i];
  const auto text = [&](size_t f) {
    return l.substr(fields[f].begin, fields[f].end - fields[f].begin);
  };
  const std::string_view key_field = text(at);
  const size_t last = std::min(fields.size() - 1, at + static_cast<size_t>(k.values));
  // The key as written, where it says more than the key's name
  // ("curvad1", "ripetizione segnali 9 codici").
  const std::string written = lower(key_field) == k.name ? "" : std::string(key_field) + ": ";
  std::string name = k.name;
  std::string detail;
  int kind = symbol_kind::setting;
  if (k.positioned) {
    kind = &k == &key_of(TrainKey::segnale)    ? symbol_kind::signal
           : &k == &key_of(TrainKey::stazione) ? symbol_kind::station
                                               : symbol_kind::placed;
    const std::optional<long long> metres = last > at ? whole_number(text(at + 1)) : std::nullopt;
    if (metres) {
      name += " " + std::to_string(*metres) + " m";
      detail = written + "km " + km_text(*metres);
    } else {
      detail =
          written + (last > at ? "position \"" + collapsed(text(at + 1)) + "\"" : "no position");
    }
    // A station goes by its name, the last of its values.
    const size_t name_field = at + static_cast<size_t>(k.values);
    if (&k == &key_of(TrainKey::stazione) && name_field <= last && !text(name_field).empty()) {
      detail = name + (metres ? ", km " + km_text(*metres) : "");
      name = text(name_field);
    }
  } else {
    std::string values;
    for (size_t f = at + 1; f <= last; ++f) values += (f > at + 1 ? ", " : "") + collapsed(text(f));
    detail = written + values;
  }
  const size_t end = std::max(fields[last].end, fields[at].end);
  return {{"name", std::move(name)},
          {"detail", std::move(detail)},
          {"kind", kind},
          {"range", lines.range(i, fields[at].begin, i, end)},
          {"selectionRange", lines.range(i, fields[at].begin, i, fields[at].end)}};
}

}  // namespace

json outline(std::string_view text, PositionEncoding e, bool line_description) {
  const Lines lines(text, e);
  json top = json::array();
  std::optional<size_t> section;  // the index in `top` of the section being read
  Reading reading = Reading::before_general;
  const auto add = [&](json symbol) {
    if (section) {
      top[*section]["children"].push_back(std::move(symbol));
      return;
    }
    top.push_back(std::move(symbol));
  };
  // A section's range runs to the end of its last line with something on it.
  const auto extend = [&](size_t i, size_t end) {
    if (section) top[*section]["range"]["end"] = lines.position(i, end);
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view l = lines[i];
    const std::vector<Span> fields = fields_of(l);
    const Span content = trimmed_span(l, 0, l.size());
    if (content.begin == content.end) continue;
    const std::string_view key_field = l.substr(fields[0].begin, fields[0].end - fields[0].begin);
    // A label: a field with "[" and "]" that does not begin with a hyphen.
    if (!key_field.starts_with('-') && key_field.find('[') != std::string_view::npos &&
        key_field.find(']') != std::string_view::npos) {
      const std::span<const std::string_view> labels =
          line_description ? std::span<const std::string_view>(line_section_labels)
                           : std::span<const std::string_view>(train_section_labels);
      const bool known = std::find(labels.begin(), labels.end(), key_field) != labels.end();
      if (key_field.find(line_section_labels[0]) != std::string_view::npos)
        reading = Reading::general;
      else if (reading == Reading::general)
        reading = Reading::elements;
      top.push_back({{"name", std::string(key_field)},
                     {"detail", known ? "section" : "section (a label the exported files lack)"},
                     {"kind", symbol_kind::section},
                     {"range", lines.range(i, fields[0].begin, i, content.end)},
                     {"selectionRange", lines.range(i, fields[0].begin, i, fields[0].end)},
                     {"children", json::array()}});
      section = top.size() - 1;
      continue;
    }
    extend(i, content.end);
    // The entries of the line: a key and its values, another key after
    // them; a field with a hyphen is a comment, and a line that begins
    // with one holds none.
    for (size_t f = 0; f < fields.size();) {
      const std::string_view field = l.substr(fields[f].begin, fields[f].end - fields[f].begin);
      if (field.find('-') != std::string_view::npos && f == 0) break;
      if (const DescriptionKey* k = key_in(field, line_description, reading);
          k && field.find('-') == std::string_view::npos) {
        add(entry_symbol(lines, i, fields, f, *k));
        f += 1 + static_cast<size_t>(k->values);
        continue;
      }
      if (f == 0 && !field.empty()) {
        add({{"name", std::string(field)},
             {"detail", "unknown key"},
             {"kind", symbol_kind::unknown},
             {"range", lines.range(i, fields[0].begin, i, content.end)},
             {"selectionRange", lines.range(i, fields[0].begin, i, fields[0].end)}});
        break;
      }
      ++f;  // a value left over, or an empty key field
    }
  }
  return top;
}

}  // namespace sc::lsp
