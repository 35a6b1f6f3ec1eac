#include "decompile/scenario_diff.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <map>
#include <utility>

#include "decompile/decoders.h"
#include "model/printf_string.h"

namespace sc::decompile {
namespace {

// Whether two track plans hold the same bytes, read a piece at a time.
bool same_plan(const PlanBytes& a, const PlanBytes& b) {
  if (a.size != b.size) return false;
  constexpr size_t piece = 64 * 1024;
  std::string pa(piece, '\0'), pb(piece, '\0');
  for (size_t at = 0; at < a.size; at += piece) {
    const size_t n = std::min(piece, a.size - at);
    if (a.read(at, pa.data(), n) != n || b.read(at, pb.data(), n) != n) return false;
    if (std::string_view(pa.data(), n) != std::string_view(pb.data(), n)) return false;
  }
  return true;
}

// One entry of a decompiled description: its section, key and values
// (blanks around each value removed, runs of blanks inside one made one).
struct Entry {
  std::string section, key;
  std::vector<std::string> values;
};

std::string trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// A value whose blanks are only spacing (the start clock's three numbers).
std::string tidy(std::string_view s) {
  std::string out;
  bool blank = false;
  for (char c : s) {
    if (c == ' ' || c == '\t') {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

std::vector<Entry> entries_of(const std::string& text) {
  std::vector<Entry> out;
  std::string section;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with("[")) {
      section = std::string(line);
      if (section == "[fine]") break;
      continue;
    }
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos || line.starts_with("--")) continue;
    Entry e;
    e.section = section;
    e.key = trimmed(line.substr(0, comma));
    size_t from = comma + 1;
    while (true) {
      const size_t next = line.find(',', from);
      e.values.push_back(trimmed(
          line.substr(from, next == std::string_view::npos ? line.size() - from : next - from)));
      if (next == std::string_view::npos) break;
      from = next + 1;
    }
    out.push_back(std::move(e));
  }
  return out;
}

std::string value(const Entry& e, size_t i) { return i < e.values.size() ? e.values[i] : ""; }

std::optional<int64_t> number(const std::string& s) {
  if (s.empty() || s.size() > 12) return std::nullopt;
  int64_t n = 0;
  size_t i = s[0] == '-' ? 1 : 0;
  if (i == s.size()) return std::nullopt;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    n = n * 10 + (s[i] - '0');
  }
  return s[0] == '-' ? -n : n;
}

// An entry as the diff compares it: what it is, what identifies it among
// the entries of its kind, and its values by name.
struct Item {
  std::string kind;
  std::string subject;          // identifies it (stations, general values)
  std::optional<int64_t> from;  // identifies it (everything placed)
  std::optional<int64_t> to;
  std::vector<std::pair<std::string, std::string>> fields;
};

std::string metres(const std::string& s) { return number(s) ? metres_and_km(*number(s)) : s; }

std::string speed(const std::string& s) { return s + " km/h"; }

// "2 (4/1/1)": a side of a signal as inspect shows it.
std::string signal_side(const Entry& e, size_t i) {
  return value(e, i) + " (" + value(e, i + 1) + "/" + value(e, i + 2) + "/" + value(e, i + 3) + ")";
}

std::optional<Item> item_of(const Entry& e) {
  Item it;
  it.from = number(value(e, 0));
  if (e.section == "[generale]") {
    it.kind = "general";
    it.subject = e.key;
    it.from.reset();
    std::string all;
    for (const std::string& v : e.values) all += (all.empty() ? "" : ", ") + tidy(v);
    it.fields = {{"value", all}};
    return it;
  }
  if (e.key.starts_with("curva")) {
    it.kind = "curve";
    static const char* radius[] = {"10000 m", "5000 m", "2500 m", "1000 m", "500 m", "about 333 m"};
    const char c = e.key.empty() ? ' ' : e.key.back();
    it.fields = {{"side", e.key.find('s', 5) != std::string::npos ? "left" : "right"},
                 {"radius", c >= '1' && c <= '6' ? radius[c - '1'] : "class " + std::string(1, c)},
                 {"length", value(e, 1) + " m"}};
    return it;
  }
  if (e.key == "montagna") {
    it.kind = "tunnel";
    it.to = number(value(e, 1));
    it.fields = {{"to", metres(value(e, 1))}, {"kind", value(e, 2)}};
    return it;
  }
  if (e.key == "indicatori_vmax") {
    it.kind = "speed board";
    it.fields = {{"left", value(e, 1) + "/" + value(e, 2) + "/" + value(e, 3) + " km/h, " +
                              value(e, 4) + " stripes"},
                 {"right", value(e, 5) + "/" + value(e, 6) + "/" + value(e, 7) + " km/h, " +
                               value(e, 8) + " stripes"}};
    return it;
  }
  if (e.key == "cartello_indicatore") {
    it.kind = "indication board";
    it.fields = {{"text", "\"" + value(e, 1) + "\""}};
    return it;
  }
  if (e.key == "stazione") {
    it.kind = "station";
    it.subject = value(e, 16);
    const int64_t p = number(value(e, 0)).value_or(0), tipo = number(value(e, 1)).value_or(0),
                  l = number(value(e, 2)).value_or(0), d6 = number(value(e, 5)).value_or(0);
    int64_t a = p - l / 2, b = p + l / 2 + (d6 != 0 ? 50 : 0);
    if (tipo == 5 || tipo == 6) a = p - l, b = p + 150;
    if (tipo == 7 || tipo == 8) a = p - l, b = p + l;
    const auto two = [](const std::string& s) { return s.size() < 2 ? "0" + s : s; };
    std::string stored;
    for (size_t i = 3; i < 13; ++i) stored += (i == 3 ? "" : " ") + value(e, i);
    it.fields = {{"position", metres(value(e, 0))},
                 {"time", value(e, 13) + ":" + two(value(e, 14)) + ":" + two(value(e, 15))},
                 {"stop", tipo < 25 ? "yes" : "no"},
                 {"extent", std::to_string(a) + " m to " + std::to_string(b) + " m"},
                 {"type", value(e, 1)},
                 {"length", value(e, 2) + " m"},
                 {"stored values", stored}};
    it.from.reset();
    return it;
  }
  if (e.key == "rallentamento") {
    it.kind = "restriction";
    it.fields = {{"speed", speed(value(e, 1))},
                 {"length", value(e, 2) + " m"},
                 {"F_TT", value(e, 3)},
                 {"F_TA", value(e, 4)},
                 {"D_V", value(e, 5)}};
    return it;
  }
  if (e.key == "segnale") {
    it.kind = "signal";
    it.fields = {{"left", signal_side(e, 1)},
                 {"rapp", value(e, 5)},
                 {"right", signal_side(e, 6)},
                 {"tempo", value(e, 10)}};
    return it;
  }
  if (e.key == "abbattimento") {
    it.kind = "cab code";
    const auto v = number(value(e, 1));
    it.fields = {{"speed", v && *v <= 0 ? "none" : speed(value(e, 1))}};
    return it;
  }
  // The profiles are compared on the cells; any other key as written.
  if (e.key == "pendenza" || e.key == "velocita" || e.key == "aderenza") return std::nullopt;
  it.kind = e.key;
  for (size_t i = 1; i < e.values.size(); ++i)
    it.fields.emplace_back("value " + std::to_string(i + 1), e.values[i]);
  return it;
}

std::vector<Item> items_of(const Decompilation& d, bool with_curves) {
  std::vector<Item> out;
  for (const std::string* text : {&d.linea, &d.treno}) {
    for (const Entry& e : entries_of(*text)) {
      if (!with_curves && e.key.starts_with("curva")) continue;
      if (auto it = item_of(e)) out.push_back(std::move(*it));
    }
  }
  const std::pair<const char*, std::string> identity[] = {{"scenario name", d.nome_scenario},
                                                          {"train number", d.numero_treno}};
  for (const auto& [key, v] : identity) out.push_back({"general", key, {}, {}, {{"value", v}}});
  return out;
}

std::string identity_of(const Item& it) {
  return it.kind + "\n" + it.subject + "\n" + (it.from ? std::to_string(*it.from) : "");
}

Change change_of(const Item& it, const char* action, bool before) {
  Change c{it.kind, action, it.subject, it.from, it.to, {}};
  for (const auto& [name, v] : it.fields) {
    c.fields.push_back({name, before ? v : "", before ? "" : v});
  }
  return c;
}

// Entries matched by kind and position (stations by name, general values
// by key); several of one identity are paired in order.
void compare_items(const std::vector<Item>& a, const std::vector<Item>& b,
                   std::vector<Change>& out) {
  std::map<std::string, std::vector<const Item*>> left, right;
  std::vector<std::string> order;
  for (const Item& it : a) {
    auto& v = left[identity_of(it)];
    if (v.empty()) order.push_back(identity_of(it));
    v.push_back(&it);
  }
  for (const Item& it : b) {
    auto& v = right[identity_of(it)];
    if (v.empty() && !left.contains(identity_of(it))) order.push_back(identity_of(it));
    v.push_back(&it);
  }
  std::vector<const Item*> removed, added;
  for (const std::string& id : order) {
    const auto& l = left[id];
    const auto& r = right[id];
    for (size_t i = 0; i < std::max(l.size(), r.size()); ++i) {
      if (i >= r.size()) {
        removed.push_back(l[i]);
      } else if (i >= l.size()) {
        added.push_back(r[i]);
      } else {
        Change c{l[i]->kind, "changed", l[i]->subject, l[i]->from, l[i]->to, {}};
        for (size_t f = 0; f < l[i]->fields.size() && f < r[i]->fields.size(); ++f) {
          if (l[i]->fields[f] != r[i]->fields[f]) {
            c.fields.push_back(
                {l[i]->fields[f].first, l[i]->fields[f].second, r[i]->fields[f].second});
          }
        }
        if (!c.fields.empty()) out.push_back(std::move(c));
      }
    }
  }
  // A station gone under one name and come under another at the same
  // position was renamed.
  for (const Item* r : removed) {
    const auto same_place = [&](const Item* x) {
      return x && x->kind == "station" && r->kind == "station" && !x->fields.empty() &&
             x->fields[0] == r->fields[0];
    };
    auto found = std::find_if(added.begin(), added.end(), same_place);
    if (found == added.end()) {
      out.push_back(change_of(*r, "removed", true));
      continue;
    }
    Change c{"station",  "renamed",
             r->subject, {},
             {},         {{"name", "\"" + r->subject + "\"", "\"" + (*found)->subject + "\""}}};
    for (size_t f = 0; f < r->fields.size() && f < (*found)->fields.size(); ++f) {
      if (r->fields[f] != (*found)->fields[f]) {
        c.fields.push_back({r->fields[f].first, r->fields[f].second, (*found)->fields[f].second});
      }
    }
    out.push_back(std::move(c));
    *found = nullptr;
  }
  for (const Item* it : added) {
    if (it) out.push_back(change_of(*it, "added", false));
  }
}

// A profile of the cells compared cell by cell; each run of cells with the
// same pair of values is one change over its metres.
void compare_profile(const std::vector<Cella>& a, const std::vector<Cella>& b, const char* kind,
                     const std::function<int(const Cella&)>& byte,
                     const std::function<std::string(int)>& shown, std::vector<Change>& out) {
  const size_t n = std::max(a.size(), b.size());
  using Pair = std::pair<std::optional<int>, std::optional<int>>;
  const auto at = [&](size_t i) -> Pair {
    return {i < a.size() ? std::optional<int>(byte(a[i])) : std::nullopt,
            i < b.size() ? std::optional<int>(byte(b[i])) : std::nullopt};
  };
  for (size_t i = 0; i < n;) {
    const Pair p = at(i);
    size_t j = i + 1;
    while (j < n && at(j) == p) ++j;
    if (p.first != p.second) {
      const char* action = !p.first ? "added" : !p.second ? "removed" : "changed";
      out.push_back({kind,
                     action,
                     "",
                     static_cast<int64_t>(50 * i),
                     static_cast<int64_t>(50 * j),
                     {{kind, p.first ? shown(*p.first) : "", p.second ? shown(*p.second) : ""}}});
    }
    i = j;
  }
}

constexpr size_t shown_fields = 20;

// What the entries do not tell: the differing cells, records and plan
// rows, at most `shown_fields` of them.
void compare_bytes(const CompiledFiles& x, const CompiledFiles& y, std::vector<Change>& out) {
  const std::vector<Cella> a = decode_cells(x.celle), b = decode_cells(y.celle);
  size_t listed = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()) && listed < shown_fields; ++i) {
    Change c{"cells", "changed", "cell " + std::to_string(i), static_cast<int64_t>(50 * i), {}, {}};
    for (const CellFieldDifference& f : differing_fields(a[i], b[i]))
      c.fields.push_back({f.nome, std::to_string(f.a), std::to_string(f.b)});
    if (!c.fields.empty()) out.push_back(std::move(c)), ++listed;
  }
  if (a.size() != b.size()) {
    out.push_back({"cells",
                   "changed",
                   "",
                   {},
                   {},
                   {{"cells", std::to_string(a.size()), std::to_string(b.size())}}});
  }
  const auto ea = decode_elements(x.elementi), eb = decode_elements(y.elementi);
  for (size_t i = 0; i < ea.size() && listed < shown_fields; ++i) {
    if (ea[i] == eb[i]) continue;
    Change c{"element table", "changed", "record " + std::to_string(i), {}, {}, {}};
    if (ea[i].nome != eb[i].nome) c.fields.push_back({"nome", ea[i].nome, eb[i].nome});
    if (c.fields.empty()) c.fields.push_back({"numbers", "as before", "others"});
    out.push_back(std::move(c)), ++listed;
  }
  if (x.tracciato && y.tracciato && !same_plan(*x.tracciato, *y.tracciato)) {
    // Held whole only here, to name the first row that differs.
    const Tracciato pa = decode_plan(whole_plan(*x.tracciato));
    const Tracciato pb = decode_plan(whole_plan(*y.tracciato));
    int32_t row = std::min(pa.rows(), pb.rows());
    for (int c = 0; c < 2; ++c) {
      for (int32_t i = 0; i < std::min(pa.rows(), pb.rows()); ++i) {
        const Numero p = pa.column(c)[static_cast<size_t>(i)];
        const Numero q = pb.column(c)[static_cast<size_t>(i)];
        if (p.tag != q.tag || std::bit_cast<uint64_t>(double{p.valore}) !=
                                  std::bit_cast<uint64_t>(double{q.valore})) {
          row = std::min(row, i);
          break;
        }
      }
    }
    out.push_back({"track plan",
                   "changed",
                   "",
                   {},
                   {},
                   {{"rows", std::to_string(pa.rows()), std::to_string(pb.rows())},
                    {"first differing row", std::to_string(row), std::to_string(row)}}});
  }
}

}  // namespace

const std::vector<std::string>& change_kinds() {
  static const std::vector<std::string> kinds{
      "general",  "track plan",  "gradient",         "speed",   "adhesion",    "tunnel",
      "curve",    "speed board", "indication board", "station", "restriction", "signal",
      "cab code", "cells",       "element table"};
  return kinds;
}

std::string metres_and_km(int64_t m) {
  const int64_t a = m < 0 ? -m : m;
  return printf_string("%lld m (%s%lld.%03lld km)", static_cast<long long>(m), m < 0 ? "-" : "",
                       static_cast<long long>(a / 1000), static_cast<long long>(a % 1000));
}

ScenarioDiff diff_scenarios(const CompiledFiles& before, const CompiledFiles& after) {
  ScenarioDiff out;
  out.same_bytes = before.celle == after.celle && before.elementi == after.elementi &&
                   before.tracciato.has_value() == after.tracciato.has_value() &&
                   (!before.tracciato || same_plan(*before.tracciato, *after.tracciato));
  if (out.same_bytes) return out;

  const Decompilation old_decompiled = decompile(before), new_decompiled = decompile(after);
  const bool curves = before.tracciato.has_value() && after.tracciato.has_value();
  std::vector<Change> all;
  if (before.tracciato.has_value() != after.tracciato.has_value()) {
    const bool old_has = before.tracciato.has_value();
    const std::string why = std::string("not compared: the ") + (old_has ? "newer" : "older") +
                            " version was compiled without a track plan";
    all.push_back(
        {"track plan", old_has ? "removed" : "added", "", {}, {}, {{"curves", why, why}}});
  }
  compare_items(items_of(old_decompiled, curves), items_of(new_decompiled, curves), all);
  const std::vector<Cella> a = decode_cells(before.celle), b = decode_cells(after.celle);
  compare_profile(
      a, b, "gradient", [](const Cella& c) { return c.pendenza - 100; },
      [](int v) { return std::to_string(v) + " per mille"; }, all);
  compare_profile(
      a, b, "speed", [](const Cella& c) { return c.velocita * 5; },
      [](int v) { return std::to_string(v) + " km/h"; }, all);
  compare_profile(
      a, b, "adhesion", [](const Cella& c) { return static_cast<int>(c.aderenza); },
      [](int v) { return std::to_string(v); }, all);

  // What the entries leave unexplained: the decompile of a side could not
  // tell all its bytes, or the entries show nothing.
  const bool exact = old_decompiled.identical() && old_decompiled.unexplained.empty() &&
                     new_decompiled.identical() && new_decompiled.unexplained.empty();
  if (all.empty() || !exact) compare_bytes(before, after, all);
  if (all.empty()) {
    all.push_back({"element table", "changed", "", {}, {}, {{"bytes", "as before", "others"}}});
  }

  const auto rank = [](const std::string& kind) {
    const auto& k = change_kinds();
    return std::find(k.begin(), k.end(), kind) - k.begin();
  };
  std::stable_sort(all.begin(), all.end(), [&](const Change& x, const Change& y) {
    if (rank(x.kind) != rank(y.kind)) return rank(x.kind) < rank(y.kind);
    return x.from.value_or(-1) < y.from.value_or(-1);
  });
  out.changes = std::move(all);
  return out;
}

std::string change_text(const Change& c) {
  std::string s = c.kind;
  if (!c.subject.empty()) s += c.kind == "station" ? " \"" + c.subject + "\"" : " " + c.subject;
  if (c.from && c.to) {
    s += " from " + metres_and_km(*c.from) + " to " + metres_and_km(*c.to);
  } else if (c.from) {
    s += " at " + metres_and_km(*c.from);
  }
  s += ": " + c.action;
  std::string details;
  for (const ChangedField& f : c.fields) {
    std::string one;
    if (c.action == "added") {
      one = f.name + " " + f.after;
    } else if (c.action == "removed") {
      one = f.name + " " + f.before;
    } else {
      one = f.name + " " + f.before + " -> " + f.after;
    }
    if (f.name == c.kind) one = one.substr(f.name.size() + 1);
    details += (details.empty() ? "" : ", ") + one;
  }
  if (!details.empty()) s += ": " + details;
  return s;
}

std::vector<std::string> stat_lines(const ScenarioDiff& d) {
  std::vector<std::string> out;
  for (const std::string& kind : change_kinds()) {
    std::map<std::string, size_t> n;
    for (const Change& c : d.changes) n[c.action] += c.kind == kind;
    std::string line;
    for (const char* action : {"added", "removed", "changed", "renamed"}) {
      if (n[action] > 0) {
        line += (line.empty() ? "" : ", ") + std::to_string(n[action]) + " " + action;
      }
    }
    if (!line.empty()) out.push_back(kind + ": " + line);
  }
  return out;
}

}  // namespace sc::decompile
