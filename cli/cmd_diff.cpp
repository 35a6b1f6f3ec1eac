// diff: what changed between two versions of a scenario, each given as
// descriptions (compiled here in memory) or as compiled files, told in the
// author's terms. Exit status 0 when both are the same compiled bytes, 1
// when they differ, 2 when a side cannot be had.
#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/compile_descriptions.h"
#include "cli/identity.h"
#include "cli/shared_inputs.h"
#include "decompile/scenario_diff.h"
#include "format/compiled_decode.h"
#include "format/compiled_names.h"
#include "format/tracciato.h"
#include "output/compiled_read.h"
#include "output/diagnostics.h"
#include "output/terminal_text.h"

namespace sc {
namespace {

namespace fs = std::filesystem;

// The compiled bytes of one side.
struct Side {
  std::string celle, elementi;
  // The track plan: compiled here from descriptions, or a compiled file kept
  // open and read in pieces (the largest file is never held whole).
  std::optional<std::string> tracciato;
  std::optional<fs::path> plan_path;
  std::optional<OpenCompiled> plan_file;
  bool descriptions = false;  // compiled here from descriptions

  bool has_plan() const { return tracciato || plan_file; }
  decompile::CompiledFiles files() const {
    if (plan_file)
      return {celle, elementi,
              decompile::PlanBytes(plan_file->reader(*plan_path), plan_file->size)};
    return {celle, elementi,
            tracciato ? std::optional<std::string_view>(*tracciato) : std::nullopt};
  }
};

// The files of `dir` whose names end in `suffix`.
std::vector<fs::path> ending_in(const fs::path& dir, const std::string& suffix) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    const std::string n = e.path().filename().string();
    if (n.size() > suffix.size() && n.ends_with(suffix) && e.is_regular_file(ec))
      out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::optional<std::pair<fs::path, fs::path>> descriptions_in(const fs::path& dir) {
  const auto line_files = ending_in(dir, "_linea.txt"), train_files = ending_in(dir, "-.txt");
  if (line_files.size() == 1 && train_files.size() == 1)
    return std::pair{line_files[0], train_files[0]};
  return std::nullopt;
}

// The partner of one description file, by the naming rule, in its folder.
std::pair<fs::path, fs::path> descriptions_of(const fs::path& file) {
  const fs::path dir = file.has_parent_path() ? file.parent_path() : fs::path(".");
  if (const auto nome = name_from_linea_file(file.string())) {
    std::vector<fs::path> train_files;
    for (const fs::path& t : ending_in(dir, "-.txt")) {
      if (identity_from_treno_file(t.string(), *nome)) train_files.push_back(t);
    }
    if (train_files.size() != 1) {
      throw std::invalid_argument("no single train description " + *nome + "_NUMBER-.txt beside " +
                                  file.string());
    }
    return {file, train_files[0]};
  }
  if (const auto id = identity_from_treno_file(file.string())) {
    const fs::path linea = dir / (id->nome_scenario + "_linea.txt");
    std::error_code ec;
    if (!fs::is_regular_file(linea, ec)) {
      throw std::invalid_argument("no line description " + linea.string() + " beside " +
                                  file.string());
    }
    return {linea, file};
  }
  throw std::invalid_argument(file.string() +
                              " is neither NAME_linea.txt nor NAME_NUMBER-.txt, nor a compiled "
                              "file (NAME_NUMBER.dat, NAME_NUMBER.sim, NAME_linea.dat)");
}

// The compiled files of the scenario that `file` belongs to, beside it.
ScenarioFiles compiled_of(const fs::path& file) {
  const CompiledKind kind = recognise_file_or_throw(file);
  const fs::path dir = file.has_parent_path() ? file.parent_path() : fs::path(".");
  const std::string n = file.filename().string();
  std::string stem;  // NAME_NUMBER
  if (kind == CompiledKind::tracciato) {
    const std::string nome = n.substr(0, n.size() - std::string("_linea.dat").size());
    std::vector<fs::path> tables;
    for (const fs::path& s : ending_in(dir, ".sim")) {
      if (s.filename().string().starts_with(nome + "_")) tables.push_back(s);
    }
    if (tables.size() != 1) {
      throw std::invalid_argument("no single element table " + nome + "_NUMBER.sim beside " +
                                  file.string());
    }
    stem = tables[0].filename().string();
    stem.resize(stem.size() - 4);
  } else {
    stem = n.substr(0, n.size() - 4);
  }
  std::vector<fs::path> files{dir / (stem + ".dat"), dir / (stem + ".sim")};
  // The track plan NAME_linea.dat whose NAME_ begins NAME_NUMBER (the longest).
  std::optional<fs::path> plan;
  for (const fs::path& p : ending_in(dir, "_linea.dat")) {
    const std::string f = p.filename().string();
    const std::string nome = f.substr(0, f.size() - std::string("_linea.dat").size());
    if (stem.starts_with(nome + "_") && (!plan || f.size() > plan->filename().string().size()))
      plan = p;
  }
  if (plan) files.push_back(*plan);
  return find_scenario_files(files, false);
}

// One side from what the user gave: compiled in memory when it is
// descriptions, read when it is compiled files. The exit status on
// trouble, said on `err`.
// `modo` 0 compiles descriptions without the track plan.
std::optional<int> read_side(const std::string& input, int32_t modo, Side& side,
                             std::ostream& err) {
  side = Side{};
  if (const std::string reason = unreadable(input, true); !reason.empty()) {
    err << program_name << ": " << reason << std::endl;
    return status_usage;
  }
  try {
    std::error_code ec;
    const fs::path path(input);
    std::optional<std::pair<fs::path, fs::path>> texts;
    std::optional<ScenarioFiles> compiled;
    if (fs::is_directory(path, ec)) {
      texts = descriptions_in(path);
      if (!texts) compiled = find_scenario_files({path}, false);
    } else if (input.ends_with(".txt")) {
      texts = descriptions_of(path);
    } else {
      compiled = compiled_of(path);
    }
    if (texts) {
      const Descriptions d{texts->first.string(), texts->second.string(), {}, {}};
      const IdentityOutcome id = compilation_identity(d.linea, d.treno, {}, {});
      if (!id.identity) {
        err << program_name << ": " << terminal_text(id.errore) << std::endl;
        return status_usage;
      }
      const DescriptionText linea = read_description(d.linea), treno = read_description(d.treno);
      for (const DescriptionText* t : {&linea, &treno}) {
        if (!t->bytes) {
          err << program_name << ": cannot read \"" << terminal_text(t->name) << "\"" << std::endl;
          return status_usage;
        }
      }
      Percorso p;
      p.nome_scenario = id.identity->nome_scenario;
      p.numero_treno = id.identity->numero_treno;
      FaultLog log;
      const Compilation c = compile_descriptions(p, modo, d, linea, treno, log);
      side.descriptions = true;
      if (c.status != Compilation::Result::pronto) {
        err << program_name << ": " << terminal_text(input)
            << ": the descriptions compile to no files (check shows why)" << std::endl;
        return status_usage;
      }
      if (const size_t faults = log.numero(Severity::errore)) {
        err << program_name << ": " << terminal_text(input) << ": the descriptions have "
            << count(faults, "fault")
            << " (check shows them); compared as the compile writes them all the same" << std::endl;
      }
      for (const CompiledFile& f : c.files) {
        std::string bytes = f.bytes.joined();
        switch (f.kind) {
          case CompiledKind::tracciato: side.tracciato = std::move(bytes); break;
          case CompiledKind::elementi: side.elementi = std::move(bytes); break;
          case CompiledKind::celle: side.celle = std::move(bytes); break;
        }
      }
      return std::nullopt;
    }
    const auto read = [](const fs::path& f, CompiledKind k) {
      try {
        return read_compiled_file(f, k);
      } catch (const DecodeError& e) {
        throw DecodeError(e.offset(), f.string() + ": " + e.what());
      }
    };
    side.celle = read(compiled->celle, CompiledKind::celle);
    side.elementi = read(compiled->elementi, CompiledKind::elementi);
    decode_cells(side.celle);
    decode_elements(side.elementi);
    if (compiled->tracciato) {
      side.plan_path = *compiled->tracciato;
      side.plan_file = open_compiled_file(*compiled->tracciato, CompiledKind::tracciato);
      try {
        PlanFile(side.plan_file->reader(*side.plan_path), side.plan_file->size);  // checked whole
      } catch (const DecodeError& e) {
        throw DecodeError(e.offset(), side.plan_path->string() + ": " + e.what());
      }
    }
  } catch (const std::exception& e) {
    err << program_name << ": " << terminal_text(e.what()) << std::endl;
    return status_usage;
  }
  return std::nullopt;
}

std::string json_field(const char* name, const std::string& v) {
  return std::string("\"") + name + "\": " + json_string(v);
}

void write_json(const decompile::ScenarioDiff& d, std::ostream& out) {
  out << "{\n  \"same\": " << (d.same_bytes ? "true" : "false") << ",\n  \"changes\": [";
  for (size_t i = 0; i < d.changes.size(); ++i) {
    const decompile::Change& c = d.changes[i];
    out << (i ? "," : "") << "\n    {" << json_field("kind", c.kind) << ", "
        << json_field("change", c.action);
    if (!c.subject.empty()) out << ", " << json_field("subject", c.subject);
    if (c.from) out << ", \"from_m\": " << *c.from;
    if (c.to) out << ", \"to_m\": " << *c.to;
    out << ", \"fields\": [";
    for (size_t f = 0; f < c.fields.size(); ++f) {
      const decompile::ChangedField& x = c.fields[f];
      out << (f ? ", " : "") << "{" << json_field("name", x.name);
      if (c.action != "added") out << ", " << json_field("before", x.before);
      if (c.action != "removed") out << ", " << json_field("after", x.after);
      out << "}";
    }
    out << "]}";
  }
  out << (d.changes.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace

int cmd_diff(const DiffOptions& o, std::ostream& out, std::ostream& err) {
  Side old_side, new_side;
  if (const auto status = read_side(o.old_side, 1, old_side, err)) return *status;
  if (const auto status = read_side(o.new_side, 1, new_side, err)) return *status;
  // Descriptions against files compiled without a track plan are compiled
  // without one too.
  std::ostringstream quiet;
  if (old_side.descriptions && !new_side.descriptions && !new_side.has_plan())
    read_side(o.old_side, 0, old_side, quiet);
  if (new_side.descriptions && !old_side.descriptions && !old_side.has_plan())
    read_side(o.new_side, 0, new_side, quiet);
  decompile::ScenarioDiff d;
  try {
    d = decompile::diff_scenarios(old_side.files(), new_side.files());
  } catch (const std::exception& e) {  // decoded above; kept for safety
    err << program_name << ": " << terminal_text(e.what()) << std::endl;
    return status_usage;
  }
  if (o.json) {
    write_json(d, out);
  } else if (o.stat) {
    for (const std::string& s : decompile::stat_lines(d))
      out << terminal_text(s, TextSource::description) << "\n";
  } else {
    for (const decompile::Change& c : d.changes)
      out << terminal_text(change_text(c), TextSource::description) << "\n";
  }
  out << std::flush;
  return d.same_bytes ? status_ok : status_with_errors;
}

}  // namespace sc
