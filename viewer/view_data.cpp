#include "viewer/view_data.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/compile_descriptions.h"
#include "cli/identity.h"
#include "compiler/description_keys.h"
#include "compiler/memorizza_percorso.h"
#include "compiler/text_1252.h"
#include "compiler/tracciato_piano.h"
#include "format/compiled_decode.h"
#include "format/positions.h"
#include "listing/listing.h"
#include "output/diagnostics.h"
#include "output/file_output.h"
#include "output/text_file_names.h"
#include "output/write_compilation.h"
#include "output/write_content.h"

namespace sc::view {

namespace {

namespace fs = std::filesystem;

std::string strip(std::string s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

std::string short_name(const std::string& path) { return fs::path(path).filename().string(); }

std::string entry_text(const DescriptionEntry& v) {
  std::string s;
  for (const std::string& c : v.fields) s += (s.empty() ? "" : ", ") + c;
  return short_name(v.file) + ":" + std::to_string(v.line) + ": " + s;
}

PanelEntry panel_entry(const Fault& f, const std::vector<DescriptionEntry>& entries) {
  PanelEntry v;
  v.severity = f.severity;
  v.text = fault_line(f);
  if (f.where) {
    v.file = f.where->file;
    v.line = f.where->line;
  }
  v.posizione = f.posizione ? f.posizione : entry_position(entries, v.file, v.line);
  return v;
}

}  // namespace

std::vector<std::string> Source::watched_files() const {
  if (!from_descriptions()) {
    if (compiled.size() == 1) {
      try {
        const CompiledPaths f = find_scenario_files({compiled.front()});
        return {f.celle.string(), f.elementi.string(), f.tracciato.string()};
      } catch (const std::exception&) {
        return {compiled.front() + "/."};
      }
    }
    return compiled;
  }
  return {linea, treno};
}

std::optional<int64_t> DescriptionEntry::numero(size_t i) const {
  if (i >= fields.size()) return std::nullopt;
  const std::string& s = fields[i];
  int64_t v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

std::vector<DescriptionEntry> description_entries(const std::string& text,
                                                  const std::string& file) {
  std::vector<DescriptionEntry> out;
  std::istringstream in(text);
  int line = 0;
  for (std::string linea; std::getline(in, linea);) {
    ++line;
    const std::string t = strip(linea);
    if (t.empty() || t[0] == '[') continue;
    DescriptionEntry v{file, line, {}};
    std::string field;
    std::istringstream fields(t);
    while (std::getline(fields, field, ',')) v.fields.push_back(strip(field));
    if (v.fields.size() >= 2 && !v.fields.front().empty()) out.push_back(std::move(v));
  }
  return out;
}

Loading load(const Source& s) {
  Loading c;
  if (!s.from_descriptions()) {
    try {
      std::vector<fs::path> inputs(s.compiled.begin(), s.compiled.end());
      const CompiledPaths files = find_scenario_files(inputs);
      c.scenario = read_scenario(files);
      c.outcome = "compiled files, read as they are";
      const std::vector<std::string> warnings = mixed_set_warnings(files, c.scenario);
      if (!warnings.empty()) c.outcome += "; they may not be of one compile: " + warnings.front();
    } catch (const std::exception& e) {
      c.errore = e.what();
    }
    return c;
  }
  // Each description read once, through the descriptor it is checked on
  // (a pipe or a device in its place is refused, never waited on), and
  // compiled from the bytes read.
  DescriptionText texts[2];
  for (int i = 0; i < 2; ++i) {
    const std::string& f = i == 0 ? s.linea : s.treno;
    std::string reason;
    texts[i] = read_description(f, &reason);
    if (!reason.empty()) {
      c.errore = reason;
      return c;
    }
    std::vector<DescriptionEntry> v = description_entries(*texts[i].bytes, f);
    c.entries.insert(c.entries.end(), std::make_move_iterator(v.begin()),
                     std::make_move_iterator(v.end()));
  }
  const IdentityOutcome id = compilation_identity(s.linea, s.treno, s.nome, s.numero);
  if (!id.identity) {
    c.errore = id.errore;
    return c;
  }
  Percorso p;
  p.nome_scenario = id.identity->nome_scenario;
  p.numero_treno = id.identity->numero_treno;
  FaultLog log;
  const Compilation outcome =
      compile_descriptions(p, 1, {s.linea, s.treno, s.nome, s.numero}, texts[0], texts[1], log);
  c.faults = log.all();
  c.origins = log.origins;
  for (const Fault* f : log.in_order()) c.panel.push_back(panel_entry(*f, c.entries));
  const size_t warnings = log.numero(Severity::avviso);
  switch (outcome.status) {
    case Compilation::Result::senza_celle:
      c.outcome = "stopped before the line length was read: no cells";
      break;
    case Compilation::Result::errore_1250:
    case Compilation::Result::errore_1251:
      c.outcome = "error report: cell 1 already holds an element";
      break;
    case Compilation::Result::pronto:
      c.outcome = c.faults.empty() ? "compiled without fault" : count(c.faults.size(), "fault");
      if (warnings > 0) c.outcome += ", " + count(warnings, "warning");
      break;
  }
  c.scenario.celle = std::move(p.celle);
  c.scenario.elementi = p.elementi;
  c.scenario.tracciato = plan_in_memory(p.tracciato);
  return c;
}

Loading reload(const Source& s, Loading last) {
  Loading c = load(s);
  if (c.errore.empty() || !last.has_celle()) return c;
  // Nothing could be read: the last good state stays, and says why.
  if (last.stale) last.panel.erase(last.panel.begin());
  last.stale = true;
  last.errore = "not reloaded: " + c.errore + "; showing the last good state";
  last.panel.insert(last.panel.begin(), PanelEntry{Severity::errore, last.errore, "", 0, {}});
  return last;
}

std::string write_compiled(const Source& s) {
  if (!s.from_descriptions()) return "these are compiled files already";
  const IdentityOutcome id = compilation_identity(s.linea, s.treno, s.nome, s.numero);
  if (!id.identity) return id.errore;
  Percorso p;
  p.nome_scenario = id.identity->nome_scenario;
  p.numero_treno = id.identity->numero_treno;
  FaultLog log;
  const Compilation c = compile_descriptions(p, 1, {s.linea, s.treno, s.nome, s.numero}, log);
  if (c.status != Compilation::Result::pronto) return "nothing written: the compile gave no files";
  std::string dir = fs::path(s.linea).parent_path().string();
  if (dir.empty()) dir = ".";
  const CompilationWrite written = write_compilation(c, log, [&](CompiledKind k) {
    return percorso_file(dir, k, p.nome_scenario, p.numero_treno);
  });
  if (!written.reason.empty()) return written.reason;
  std::string out = "wrote";
  for (const std::string& f : written.written) out += " " + short_name(f);
  if (!log.empty()) out += " (with " + std::to_string(log.all().size()) + " faults)";
  return out;
}

std::vector<std::string> origin(const Loading& c, size_t i) {
  std::vector<std::string> out;
  if (i >= c.scenario.celle.size()) return out;
  const int32_t cella = static_cast<int32_t>(i);
  for (CellLayer layer : {CellLayer::element, CellLayer::velocita, CellLayer::aderenza,
                          CellLayer::pendenza, CellLayer::galleria}) {
    const CellOrigins::CellOrigin* o = c.origins.at(cella, layer);
    if (!o) continue;
    const auto v = std::find_if(c.entries.begin(), c.entries.end(), [&](const DescriptionEntry& e) {
      return e.line == o->where.line && e.file == o->where.file;
    });
    out.push_back(v != c.entries.end() ? entry_text(*v)
                                       : short_name(o->where.file) + ":" +
                                             std::to_string(o->where.line) + ": " + o->what);
  }
  return out;
}

std::vector<std::string> describe_cella(const Loading& c, size_t i) {
  std::vector<std::string> out;
  if (i >= c.scenario.celle.size()) return out;
  const Cella& x = c.scenario.celle[i];
  const auto* el = &c.scenario.elementi;
  char line[160];
  std::snprintf(line, sizeof line, "cell %zu: %lld to %lld m", i, static_cast<long long>(i) * 50,
                static_cast<long long>(i) * 50 + 50);
  out.push_back(line);
  if (x.tipo != tipo_cella::vuota) {
    std::string e =
        nome_tipo_cella(x.tipo) + " at " + std::to_string(cella_metres(x, i, el)) + " m";
    const std::string d = cella_detail(x, i, el);
    if (!d.empty()) e += ": " + d;
    out.push_back(e);
  }
  std::snprintf(line, sizeof line, "speed %d km/h, gradient %d per mille, adhesion %d%s",
                x.velocita * 5, x.pendenza - 100, x.aderenza, x.galleria != 0 ? "" : ", no tunnel");
  out.push_back(line);
  if (x.galleria != 0) out.push_back("tunnel kind " + std::to_string(x.galleria));
  if (x.avviso != 0) out.push_back("avviso " + std::to_string(x.avviso));
  for (const std::string& p : origin(c, i)) out.push_back("  from " + p);
  return out;
}

std::string fault_line(const Fault& f) {
  std::string s = formatta_fault(f);
  return s.substr(0, s.find('\n'));
}

std::optional<int32_t> entry_position(const std::vector<DescriptionEntry>& entries,
                                      const std::string& file, int line) {
  if (line <= 0) return std::nullopt;
  for (const DescriptionEntry& v : entries) {
    if (v.line != line || v.file != file) continue;
    const std::optional<int64_t> p = v.numero(1);
    if (!p || !key_with_position(v.key()) || *p < INT32_MIN || *p > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(*p);
  }
  return std::nullopt;
}

std::vector<CartelloLabel> cartelli_labels(const CompiledScenario& s, size_t from, size_t a) {
  std::vector<CartelloLabel> out;
  a = std::min(a, s.celle.size());
  for (size_t i = from; i < a; ++i) {
    const Cella& c = s.celle[i];
    std::string text;
    if (c.tipo == tipo_cella::indicatori_v_max) {
      text = velocita_cartello(c);
    } else if (c.tipo == tipo_cella::cartello_indicatore) {
      text = text_on_one_line(utf8_from_1252(board_text(c, s.elementi)));
    }
    if (!text.empty()) out.push_back({i, description_metres(c, i), std::move(text)});
  }
  return out;
}

}  // namespace sc::view
