#include "lsp/assist.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <span>
#include <vector>

#include "compiler/description_keys.h"
#include "model/percorso.h"

namespace sc::lsp {
namespace {

using json = nlohmann::json;

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

// The lines of `text` without their line ends.
std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> out;
  const std::vector<size_t> starts = line_starts(text);
  for (size_t i = 0; i < starts.size(); ++i) {
    const size_t end = i + 1 < starts.size() ? starts[i + 1] : text.size();
    std::string_view l = text.substr(starts[i], end - starts[i]);
    while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) l.remove_suffix(1);
    out.push_back(l);
  }
  return out;
}

// Whether a line holds a section label: a field with "[" and "]" that does
// not begin with a hyphen.
bool label_line(std::string_view l) {
  const std::string_view t = trimmed(l);
  return !t.empty() && t.front() != '-' && t.find('[') != std::string_view::npos &&
         t.find(']') != std::string_view::npos;
}

// Where the lines before `line` leave the reader.
enum class Place { before_general, general, elements };
Place place_of(const std::vector<std::string_view>& lines, size_t line) {
  Place p = Place::before_general;
  for (size_t i = 0; i < line && i < lines.size(); ++i) {
    if (!label_line(lines[i])) continue;
    if (lines[i].find("[generale]") != std::string_view::npos)
      p = Place::general;
    else if (p == Place::general)
      p = Place::elements;
  }
  return p;
}

std::string_view section_name(std::string_view key_name, std::string_view md) {
  // The longest "### " heading the key's name begins with.
  std::string_view best;
  size_t at = 0;
  while ((at = md.find("\n### ", at)) != std::string_view::npos) {
    at += 5;
    const size_t end = md.find('\n', at);
    const std::string_view h = md.substr(at, end == std::string_view::npos ? md.npos : end - at);
    if (key_name.starts_with(h) && h.size() > best.size()) best = h;
  }
  return best;
}

// The value names of an entry's form "key, A, B, C": "A", "B", "C".
std::vector<std::string> value_names(std::string_view form) {
  std::vector<std::string> out;
  size_t comma = form.find(',');
  while (comma != std::string_view::npos) {
    const size_t next = form.find(',', comma + 1);
    out.emplace_back(
        trimmed(form.substr(comma + 1, next == form.npos ? form.npos : next - comma - 1)));
    comma = next;
  }
  return out;
}

// "segnale, ${1:P}, ${2:SX}, ...": the key as written and its values in
// order, by the names the documentation gives them when it gives one for
// each.
std::string snippet(std::string_view written, const DescriptionKey& k, const KeyDocs& docs) {
  std::vector<std::string> names = value_names(docs.form(k.name));
  if (static_cast<int>(names.size()) != k.values) {
    names.clear();
    for (int i = 0; i < k.values; ++i)
      names.push_back(i == 0 && k.positioned ? "position" : "value " + std::to_string(i + 1));
  }
  std::string s(written);
  for (size_t i = 0; i < names.size(); ++i) {
    std::string name;
    for (const char c : names[i]) {
      if (c == '$' || c == '}' || c == '\\') name += '\\';
      name += c;
    }
    s += ", ${" + std::to_string(i + 1) + ":" + name + "}";
  }
  return s;
}

json markdown(std::string text) { return {{"kind", "markdown"}, {"value", std::move(text)}}; }

std::span<const DescriptionKey> keys_at(bool line_description, Place p) {
  if (p == Place::before_general) return {};
  if (!line_description) return train_keys;
  return p == Place::general ? std::span<const DescriptionKey>(line_general_keys)
                             : std::span<const DescriptionKey>(line_element_keys);
}

// Whether the entry of `k` goes into the cell after the one its position
// falls in (signals, restrictions and both kinds of board).
bool in_cell_after(const DescriptionKey& k) {
  return &k == &key_of(TrainKey::segnale) || &k == &key_of(TrainKey::rallentamento) ||
         &k == &key_of(LineElementKey::indicatori_vmax) ||
         &k == &key_of(LineElementKey::cartello_indicatore);
}

std::string file_name(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// A whole number as the reader takes it: an optional minus sign and
// digits, ending at a blank; nothing else in the field.
std::optional<long long> whole_number(std::string_view field) {
  field = trimmed(field);
  size_t i = field.starts_with('-') ? 1 : 0;
  if (i == field.size()) return std::nullopt;
  long long v = 0;
  for (; i < field.size(); ++i) {
    if (field[i] < '0' || field[i] > '9') return std::nullopt;
    v = v * 10 + (field[i] - '0');
    if (v > 2147483648LL) return std::nullopt;
  }
  if (field.starts_with('-')) v = -v;
  if (v > 2147483647LL) return std::nullopt;
  return v;
}

std::string km_text(long long metres) {
  const long long a = metres < 0 ? -metres : metres;
  std::string frac = std::to_string(a % 1000);
  frac.insert(0, 3 - frac.size(), '0');
  return (metres < 0 ? "-" : "") + std::to_string(a / 1000) + "." + frac;
}

std::string_view KeyDocs::section(std::string_view name) const {
  const std::string_view md = format_md_;
  const std::string_view h = section_name(name, md);
  if (h.empty()) return {};
  const size_t start = static_cast<size_t>(h.data() - md.data()) + h.size();
  size_t end = md.find("\n#", start);
  if (end == std::string_view::npos) end = md.size();
  return trimmed(md.substr(start, end - start));
}

std::string KeyDocs::of(std::string_view name, int values, bool positioned) const {
  const std::string_view s = section(name);
  if (!s.empty()) return std::string(s);
  std::string out = "`" + std::string(name) + "`: " + std::to_string(values) +
                    (values == 1 ? " value" : " values");
  if (positioned) out += ", the first a position along the line in metres";
  return out + ".";
}

std::string KeyDocs::form(std::string_view name) const {
  const std::string_view s = section(name);
  const size_t open = s.find('`');
  if (open == std::string_view::npos || s.substr(open).starts_with("```")) return "";
  const size_t close = s.find('`', open + 1);
  if (close == std::string_view::npos) return "";
  return std::string(s.substr(open + 1, close - open - 1));
}

json completion(std::string_view text, Position at, PositionEncoding, bool line_description,
                const KeyDocs& docs) {
  const Place p = place_of(lines_of(text), at.line);
  json items = json::array();
  for (const DescriptionKey& k : keys_at(line_description, p)) {
    for (const std::string_view w : k.written) {
      if (w.empty()) continue;
      items.push_back(
          {{"label", std::string(w)},
           {"kind", 14},  // keyword
           {"detail", std::to_string(k.values) + (k.values == 1 ? " value" : " values")},
           {"documentation", markdown(docs.of(k.name, k.values, k.positioned))},
           {"insertText", snippet(w, k, docs)},
           {"insertTextFormat", 2}});  // snippet
    }
  }
  const std::span<const std::string_view> labels =
      line_description ? std::span<const std::string_view>(line_section_labels)
                       : std::span<const std::string_view>(train_section_labels);
  for (const std::string_view l : labels) {
    if (p == Place::before_general && l != "[generale]") continue;
    items.push_back({{"label", std::string(l)},
                     {"kind", 22},  // struct: a section
                     {"detail", "section label"},
                     {"insertText", std::string(l)},
                     {"insertTextFormat", 1}});
  }
  return items;
}

HoverTarget hover_target(std::string_view text, Position at, PositionEncoding e,
                         bool line_description) {
  HoverTarget t;
  const std::vector<std::string_view> lines = lines_of(text);
  if (at.line >= lines.size()) return t;
  const std::string_view l = lines[at.line];
  const size_t line_start = static_cast<size_t>(l.data() - text.data());
  const size_t cursor = std::min(offset_of(text, at, e), line_start + l.size()) - line_start;
  // The fields of the line, by their byte ranges.
  std::vector<std::pair<size_t, size_t>> fields;
  for (size_t from = 0;;) {
    const size_t comma = l.find(',', from);
    fields.emplace_back(from, comma == std::string_view::npos ? l.size() : comma);
    if (comma == std::string_view::npos) break;
    from = comma + 1;
  }
  size_t f = 0;
  while (f < fields.size() && cursor > fields[f].second) ++f;
  if (f > 1 || f >= fields.size()) return t;
  const std::string_view key_field = l.substr(fields[0].first, fields[0].second);
  if (key_field.find('-') != std::string_view::npos) return t;  // a disabled entry
  const DescriptionKey* key = nullptr;
  const std::span<const DescriptionKey> tables[] = {
      line_description ? std::span<const DescriptionKey>(line_element_keys) : train_keys,
      line_description ? std::span<const DescriptionKey>(line_general_keys)
                       : std::span<const DescriptionKey>()};
  for (const std::span<const DescriptionKey> table : tables) {
    for (const DescriptionKey& k : table) {
      if (!key && holds_key(k, key_field)) key = &k;
    }
  }
  if (!key) return t;
  t.key_name = key->name;
  t.values = key->values;
  t.positioned = key->positioned;
  // The field without the blanks around it.
  const std::string_view whole = l.substr(fields[f].first, fields[f].second - fields[f].first);
  const std::string_view field = trimmed(whole);
  if (field.empty()) return t;
  const size_t begin = static_cast<size_t>(field.data() - l.data());
  if (cursor < begin || cursor > begin + field.size()) return t;
  if (f == 1) {
    const std::optional<long long> m = whole_number(field);
    if (!key->positioned || !m) return t;
    t.kind = HoverTarget::position;
    t.metres = *m;
    t.cell = static_cast<int>(
        arrotonda(static_cast<double>(*m) / 50.0 + (in_cell_after(*key) ? 1.0 : 0.0)));
  } else {
    t.kind = HoverTarget::key;
  }
  const std::string_view before = text.substr(line_start, begin);
  t.from = {at.line, units(before, e)};
  t.to = {at.line, units(before, e) + units(field, e)};
  return t;
}

json hover(const HoverTarget& t, const CellOrigins* origins, const KeyDocs& docs) {
  if (t.kind == HoverTarget::none) return nullptr;
  std::string md;
  if (t.kind == HoverTarget::key) {
    md = docs.of(t.key_name, t.values, t.positioned);
  } else {
    md = "**" + t.key_name + "** at " + std::to_string(t.metres) + " m: km " + km_text(t.metres) +
         ", cell " + std::to_string(t.cell);
    static constexpr std::pair<CellLayer, const char*> layers[] = {
        {CellLayer::element, "element"},
        {CellLayer::velocita, "speed"},
        {CellLayer::aderenza, "adhesion"},
        {CellLayer::pendenza, "gradient"},
        {CellLayer::galleria, "tunnel"}};
    std::string held;
    if (origins) {
      for (const auto& [layer, name] : layers) {
        const CellOrigins::CellOrigin* o = origins->at(t.cell, layer);
        if (!o) continue;
        held += "\n- " + std::string(name) + ": " + o->what + ", " + file_name(o->where.file) +
                " line " + std::to_string(o->where.line) + ": `" +
                std::string(trimmed(o->where.text)) + "`";
      }
    }
    if (!origins)
      md += "\n\nThe scenario is not compiled (no line description beside it).";
    else if (held.empty())
      md += "\n\nThe compile put nothing in cell " + std::to_string(t.cell) + ".";
    else
      md += "\n\nCell " + std::to_string(t.cell) + " holds, from the compile:" + held;
  }
  return {{"contents", markdown(std::move(md))},
          {"range",
           {{"start", {{"line", t.from.line}, {"character", t.from.column}}},
            {"end", {{"line", t.to.line}, {"character", t.to.column}}}}}};
}

}  // namespace sc::lsp
