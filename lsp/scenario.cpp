#include "lsp/scenario.h"

#include "lsp/server.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "cli/compile_descriptions.h"
#include "cli/identity.h"
#include "compiler/fault_catalogue.h"
#include "output/diagnostics.h"

namespace sc::lsp {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

std::string folder_of(const std::string& path) { return fs::path(path).parent_path().string(); }

// The files of `folder`, on disk and open in the editor.
std::vector<std::string> files_in(const std::string& folder, const std::set<std::string>& open) {
  std::set<std::string> all;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code e2;
    if (it->is_regular_file(e2)) all.insert(it->path().string());
  }
  for (const std::string& p : open) {
    if (folder_of(p) == folder) all.insert(p);
  }
  return {all.begin(), all.end()};
}

std::vector<std::string> trains_of(const std::string& folder, const std::string& nome,
                                   const std::set<std::string>& open) {
  std::vector<std::string> trains;
  for (const std::string& f : files_in(folder, open)) {
    if (identity_from_treno_file(f, nome)) trains.push_back(f);
  }
  return trains;
}

json range_json(Position a, Position b) {
  return {{"start", {{"line", a.line}, {"character", a.column}}},
          {"end", {{"line", b.line}, {"character", b.column}}}};
}

struct Compiled {
  std::map<std::string, SourceBytes> sources;  // by path
  json entries;                                // check's JSON diagnostics
};

// The range of a JSON diagnostic or note of `c` in its file.
json range_of(const Compiled& c, const json& d, PositionEncoding e) {
  if (!d["line"].is_number() || !d["file"].is_string()) return range_json({}, {});
  const auto s = c.sources.find(d["file"].get<std::string>());
  if (s == c.sources.end() || !s->second.bytes) return range_json({}, {});
  const int line = d["line"].get<int>();
  const std::string& b = *s->second.bytes;
  const std::string& t = s->second.text;
  return range_json(file_position(b, s->second.encoding, t, line, d["column"].get<int>(), e),
                    file_position(b, s->second.encoding, t, line, d["end_column"].get<int>(), e));
}

json to_diagnostic(const Compiled& c, const json& d, PositionEncoding e,
                   const std::string& format_doc) {
  const std::string severity = d["severity"].get<std::string>();
  const std::string code = d["code"].get<std::string>();
  std::string message = d["message"].get<std::string>();
  if (d["after_first_fault"].get<bool>()) message += " (found after the first fault)";
  json out = {{"range", range_of(c, d, e)},
              {"severity", severity == "error"     ? 1
                           : severity == "warning" ? 2
                                                   : 3},
              {"code", code},
              {"source", "scenario-compiler"}};
  if (const CodeEntry* entry = find_code(code); entry && !format_doc.empty()) {
    out["codeDescription"] = {
        {"href", uri_of_path(format_doc) + "#" + heading_anchor(entry->section)}};
  }
  json related = json::array();
  for (const json& n : d["notes"]) {
    if (n["file"].is_string()) {
      related.push_back(
          {{"location",
            {{"uri", uri_of_path(n["file"].get<std::string>())}, {"range", range_of(c, n, e)}}},
           {"message", n["message"]}});
    } else {
      message += "\nnote: " + n["message"].get<std::string>();
    }
  }
  if (!related.empty()) out["relatedInformation"] = related;
  out["message"] = message;
  return out;
}

// One compile of the line with one train (or with none).
Compiled compile(const std::optional<std::string>& line, const std::optional<std::string>& train,
                 const ReadSource& read, CellOrigins* origins = nullptr) {
  Compiled c;
  auto text_of = [&](const std::optional<std::string>& path) {
    DescriptionText t{path.value_or(""), std::nullopt, Unreadable::no_file};
    if (!path) return t;
    const SourceBytes b = read(*path);
    c.sources[*path] = b;
    t.bytes = b.bytes;
    return t;
  };
  const DescriptionText l = text_of(line), t = text_of(train);
  Percorso p;
  if (line && train) {
    const IdentityOutcome id = compilation_identity(*line, *train, std::nullopt, std::nullopt);
    if (id.identity) {
      p.nome_scenario = id.identity->nome_scenario;
      p.numero_treno = id.identity->numero_treno;
    }
  } else if (line) {
    p.nome_scenario = name_from_linea_file(*line).value_or("");
    p.numero_treno = "0";
  }
  FaultLog log;
  compile_descriptions(p, 1, Descriptions{l.name, t.name, std::nullopt, std::nullopt}, l, t, log);
  c.entries = json::parse(json_diagnostics(log), nullptr, false);
  if (!c.entries.is_array()) c.entries = json::array();
  if (origins) *origins = std::move(log.origins);
  return c;
}

json information(const std::string& message) {
  return {{"range", range_json({}, {})},
          {"severity", 3},
          {"source", "scenario-compiler"},
          {"message", message}};
}

}  // namespace

std::string heading_anchor(std::string_view heading) {
  std::string s;
  for (const char ch : heading) {
    const unsigned char u = static_cast<unsigned char>(ch);
    if (std::isalnum(u))
      s += static_cast<char>(std::tolower(u));
    else if (ch == ' ' || ch == '-')
      s += '-';
    else if (ch == '_' || u >= 0x80)
      s += ch;
  }
  return s;
}

ScenarioFiles scenario_of(const std::string& path, const std::set<std::string>& open) {
  ScenarioFiles s;
  const std::string folder = folder_of(path);
  if (const auto nome = name_from_linea_file(path)) {
    s.line = path;
    s.trains = trains_of(folder, *nome, open);
    return s;
  }
  const auto alone = identity_from_treno_file(path);
  if (!alone) {
    s.described = false;
    return s;
  }
  s.trains = {path};
  // The line whose name the train file starts with (the longest, should
  // several).
  std::optional<std::string> nome;
  for (const std::string& f : files_in(folder, open)) {
    const auto n = name_from_linea_file(f);
    if (n && identity_from_treno_file(path, *n) && (!nome || n->size() > nome->size())) {
      nome = n;
      s.line = f;
    }
  }
  if (s.line) {
    s.trains = trains_of(folder, *nome, open);
  } else {
    s.line_name = alone->nome_scenario + "_linea.txt";
  }
  return s;
}

std::map<std::string, json> scenario_diagnostics(const ScenarioFiles& s, const ReadSource& read,
                                                 PositionEncoding e,
                                                 const std::string& format_doc) {
  std::map<std::string, json> out;
  if (!s.line) {
    for (const std::string& t : s.trains) {
      out[t] = json::array(
          {information("no line description \"" + s.line_name +
                       "\" beside this train description: it cannot be compiled without one")});
    }
    return out;
  }
  const std::string& line = *s.line;
  out[line] = json::array();
  if (s.trains.empty()) {
    const Compiled c = compile(line, std::nullopt, read);
    out[line].push_back(
        information("no train description NAME_NUMBER-.txt beside this line description: the "
                    "line is checked alone"));
    for (const json& d : c.entries) {
      if (d["file"].is_string() && d["file"].get<std::string>() == line)
        out[line].push_back(to_diagnostic(c, d, e, format_doc));
    }
    return out;
  }
  for (size_t i = 0; i < s.trains.size(); ++i) {
    const std::string& train = s.trains[i];
    const Compiled c = compile(line, train, read);
    json& own = out[train] = json::array();
    for (const json& d : c.entries) {
      const bool of_line = d["file"].is_string() && d["file"].get<std::string>() == line;
      if (of_line && i > 0) continue;  // the line's own come from the first train
      (of_line ? out[line] : own).push_back(to_diagnostic(c, d, e, format_doc));
    }
  }
  return out;
}

std::optional<CellOrigins> scenario_origins(const ScenarioFiles& s, const std::string& path,
                                            const ReadSource& read) {
  if (!s.line) return std::nullopt;
  std::optional<std::string> train;
  if (std::find(s.trains.begin(), s.trains.end(), path) != s.trains.end())
    train = path;
  else if (!s.trains.empty())
    train = s.trains.front();
  CellOrigins origins;
  compile(s.line, train, read, &origins);
  return origins;
}

}  // namespace sc::lsp
