#include "format/compiled_names.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <map>
#include <stdexcept>

namespace sc {

const CompiledName& compiled_name(CompiledKind tipo) {
  for (const CompiledName& n : compiled_names) {
    if (n.tipo == tipo) return n;
  }
  throw std::logic_error("unknown compiled file");
}

std::string compiled_file_name(CompiledKind tipo, const std::string& nome_scenario,
                               const std::string& numero_treno) {
  const CompiledName& n = compiled_name(tipo);
  return nome_scenario + (n.of_train ? "_" + numero_treno : std::string()) + n.suffix;
}

std::optional<CompiledKind> recognise_file(std::string_view nome) {
  for (const CompiledName& n : compiled_names) {
    if (nome.ends_with(n.suffix)) return n.tipo;
  }
  return std::nullopt;
}

CompiledKind recognise_file_or_throw(const std::filesystem::path& file) {
  const std::optional<CompiledKind> tipo = recognise_file(file.filename().string());
  if (!tipo) {
    std::string suffixes;
    for (size_t i = 0; i < std::size(compiled_names); ++i) {
      suffixes += std::string(i == 0                               ? ""
                              : i + 1 == std::size(compiled_names) ? " or "
                                                                   : ", ") +
                  "\"" + compiled_names[i].suffix + "\"";
    }
    throw std::invalid_argument("\"" + file.string() +
                                "\" is not a compiled file: the name must end in " + suffixes);
  }
  return *tipo;
}

const char* compiled_file_name(CompiledKind tipo) { return compiled_name(tipo).nome; }

namespace {

namespace fs = std::filesystem;

std::string listed(const std::vector<fs::path>& files) {
  std::string s;
  for (const fs::path& f : files) s += (s.empty() ? "" : ", ") + f.string();
  return s;
}

ScenarioFiles find_in_directory(const fs::path& dir, bool plan_required) {
  std::vector<fs::path> sim, plans;
  std::map<std::string, fs::path> dat;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    const std::string nome = entry.path().filename().string();
    const auto tipo = recognise_file(nome);
    if (!tipo) continue;
    if (*tipo == CompiledKind::elementi) sim.push_back(entry.path());
    if (*tipo == CompiledKind::tracciato) plans.push_back(entry.path());
    if (*tipo == CompiledKind::celle) dat[nome] = entry.path();
  }
  if (ec) throw std::runtime_error("cannot list " + dir.string() + ": " + ec.message());
  std::sort(sim.begin(), sim.end());
  if (sim.empty()) {
    throw std::invalid_argument(dir.string() + " holds no compiled element table (" +
                                compiled_name(CompiledKind::elementi).form + ")");
  }
  if (sim.size() > 1) {
    throw std::invalid_argument(dir.string() + " holds several scenarios (" + listed(sim) +
                                "); name the three files of one of them instead");
  }
  ScenarioFiles f;
  f.elementi = sim.front();
  const std::string base = f.elementi.stem().string();  // NAME_NUMBER
  const std::string celle_suffix = compiled_name(CompiledKind::celle).suffix;
  const auto celle = dat.find(base + celle_suffix);
  if (celle == dat.end()) {
    throw std::invalid_argument(dir.string() + " holds " + f.elementi.filename().string() +
                                " but not its cells file " + base + celle_suffix);
  }
  f.celle = celle->second;
  // The plan is NAME_linea.dat, where NAME_ begins NAME_NUMBER; the longest
  // such NAME wins.
  size_t best = 0;
  for (const fs::path& p : plans) {
    const std::string nome = p.filename().string();
    const std::string scenario = nome.substr(
        0, nome.size() - std::string(compiled_name(CompiledKind::tracciato).suffix).size());
    if (base.size() > scenario.size() + 1 && base.starts_with(scenario + "_") &&
        scenario.size() + 1 > best) {
      best = scenario.size() + 1;
      f.tracciato = p;
    }
  }
  if (!f.tracciato && plan_required) {
    throw std::invalid_argument(
        dir.string() + " holds " + f.elementi.filename().string() + " but no track plan " +
        compiled_name(CompiledKind::tracciato).form + " of the same scenario");
  }
  return f;
}

}  // namespace

ScenarioFiles find_scenario_files(const std::vector<fs::path>& inputs, bool plan_required) {
  if (inputs.empty()) throw std::invalid_argument("no directory or files given");
  std::error_code ec;
  if (inputs.size() == 1 && fs::is_directory(inputs.front(), ec)) {
    return find_in_directory(inputs.front(), plan_required);
  }
  std::optional<fs::path> found[3];
  const char* expected[3] = {"a cells file", "an element table", "a track plan"};
  for (const fs::path& p : inputs) {
    if (fs::is_directory(p, ec)) {
      throw std::invalid_argument("give either one directory or the compiled files, not " +
                                  p.string() + " among other names");
    }
    const CompiledKind tipo = recognise_file_or_throw(p);
    auto& slot = found[static_cast<int>(tipo)];
    if (slot) {
      throw std::invalid_argument("two " + std::string(compiled_file_name(tipo)) +
                                  " files given: " + slot->string() + " and " + p.string());
    }
    slot = p;
  }
  std::string missing;
  for (int i = 0; i < 3; ++i) {
    if (!found[i] && (plan_required || static_cast<CompiledKind>(i) != CompiledKind::tracciato)) {
      missing += (missing.empty() ? "" : ", ") + std::string(expected[i]) + " (" +
                 compiled_name(static_cast<CompiledKind>(i)).form + ")";
    }
  }
  if (!missing.empty()) throw std::invalid_argument("missing " + missing);
  return {*found[static_cast<int>(CompiledKind::celle)],
          *found[static_cast<int>(CompiledKind::elementi)],
          found[static_cast<int>(CompiledKind::tracciato)]};
}

std::optional<std::string> stale_plan(const fs::path& plan, const fs::path& celle) {
  std::error_code ec, ec2;
  const fs::file_time_type p = fs::last_write_time(plan, ec);
  const fs::file_time_type c = fs::last_write_time(celle, ec2);
  if (ec || ec2 || c - p <= std::chrono::seconds(10)) return std::nullopt;
  return plan.string() + " was written before " + celle.string() +
         " and may be stale (a compile with --no-plan leaves the track plan as it was)";
}

}  // namespace sc
