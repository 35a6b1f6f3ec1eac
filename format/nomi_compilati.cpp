#include "format/nomi_compilati.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <stdexcept>

namespace sc {

const NomeCompilato& nome_compilato(FileCompilato tipo) {
  for (const NomeCompilato& n : nomi_compilati) {
    if (n.tipo == tipo) return n;
  }
  throw std::logic_error("unknown compiled file");
}

std::string nome_file_compilato(FileCompilato tipo, const std::string& nome_scenario,
                                const std::string& numero_treno) {
  const NomeCompilato& n = nome_compilato(tipo);
  return nome_scenario + (n.del_treno ? "_" + numero_treno : std::string()) + n.suffisso;
}

std::optional<FileCompilato> riconosci_file(std::string_view nome) {
  for (const NomeCompilato& n : nomi_compilati) {
    if (nome.ends_with(n.suffisso)) return n.tipo;
  }
  return std::nullopt;
}

FileCompilato riconosci_file_o_errore(const std::filesystem::path& file) {
  const std::optional<FileCompilato> tipo = riconosci_file(file.filename().string());
  if (!tipo) {
    std::string suffissi;
    for (size_t i = 0; i < std::size(nomi_compilati); ++i) {
      suffissi += std::string(i == 0                               ? ""
                              : i + 1 == std::size(nomi_compilati) ? " or "
                                                                   : ", ") +
                  "\"" + nomi_compilati[i].suffisso + "\"";
    }
    throw std::invalid_argument("\"" + file.string() +
                                "\" is not a compiled file: the name must end in " + suffissi);
  }
  return *tipo;
}

const char* nome_file_compilato(FileCompilato tipo) { return nome_compilato(tipo).nome; }

namespace {

namespace fs = std::filesystem;

std::string listed(const std::vector<fs::path>& files) {
  std::string s;
  for (const fs::path& f : files) s += (s.empty() ? "" : ", ") + f.string();
  return s;
}

ScenarioFiles find_in_directory(const fs::path& cartella, bool plan_required) {
  std::vector<fs::path> sim, piani;
  std::map<std::string, fs::path> dat;
  std::error_code ec;
  for (const auto& voce : fs::directory_iterator(cartella, ec)) {
    if (!voce.is_regular_file(ec)) continue;
    const std::string nome = voce.path().filename().string();
    const auto tipo = riconosci_file(nome);
    if (!tipo) continue;
    if (*tipo == FileCompilato::elementi) sim.push_back(voce.path());
    if (*tipo == FileCompilato::tracciato) piani.push_back(voce.path());
    if (*tipo == FileCompilato::celle) dat[nome] = voce.path();
  }
  if (ec) throw std::runtime_error("cannot list " + cartella.string() + ": " + ec.message());
  std::sort(sim.begin(), sim.end());
  if (sim.empty()) {
    throw std::invalid_argument(cartella.string() + " holds no compiled element table (" +
                                nome_compilato(FileCompilato::elementi).forma + ")");
  }
  if (sim.size() > 1) {
    throw std::invalid_argument(cartella.string() + " holds several scenarios (" + listed(sim) +
                                "); name the three files of one of them instead");
  }
  ScenarioFiles f;
  f.elementi = sim.front();
  const std::string base = f.elementi.stem().string();  // NAME_NUMBER
  const std::string suffisso_celle = nome_compilato(FileCompilato::celle).suffisso;
  const auto celle = dat.find(base + suffisso_celle);
  if (celle == dat.end()) {
    throw std::invalid_argument(cartella.string() + " holds " + f.elementi.filename().string() +
                                " but not its cells file " + base + suffisso_celle);
  }
  f.celle = celle->second;
  // The plan is NAME_linea.dat, where NAME_ begins NAME_NUMBER; the longest
  // such NAME wins.
  size_t migliore = 0;
  for (const fs::path& p : piani) {
    const std::string nome = p.filename().string();
    const std::string scenario =
        nome.substr(0, nome.size() - std::string(nome_compilato(FileCompilato::tracciato).suffisso).size());
    if (base.size() > scenario.size() + 1 && base.starts_with(scenario + "_") && scenario.size() + 1 > migliore) {
      migliore = scenario.size() + 1;
      f.tracciato = p;
    }
  }
  if (!f.tracciato && plan_required) {
    throw std::invalid_argument(cartella.string() + " holds " + f.elementi.filename().string() +
                                " but no track plan " + nome_compilato(FileCompilato::tracciato).forma +
                                " of the same scenario");
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
  std::optional<fs::path> trovati[3];
  const char* attesi[3] = {"a cells file", "an element table", "a track plan"};
  for (const fs::path& p : inputs) {
    if (fs::is_directory(p, ec)) {
      throw std::invalid_argument("give either one directory or the compiled files, not " + p.string() +
                                  " among other names");
    }
    const FileCompilato tipo = riconosci_file_o_errore(p);
    auto& posto = trovati[static_cast<int>(tipo)];
    if (posto) {
      throw std::invalid_argument("two " + std::string(nome_file_compilato(tipo)) + " files given: " +
                                  posto->string() + " and " + p.string());
    }
    posto = p;
  }
  std::string mancano;
  for (int i = 0; i < 3; ++i) {
    if (!trovati[i] && (plan_required || static_cast<FileCompilato>(i) != FileCompilato::tracciato)) {
      mancano += (mancano.empty() ? "" : ", ") + std::string(attesi[i]) + " (" +
                 nome_compilato(static_cast<FileCompilato>(i)).forma + ")";
    }
  }
  if (!mancano.empty()) throw std::invalid_argument("missing " + mancano);
  return {*trovati[static_cast<int>(FileCompilato::celle)], *trovati[static_cast<int>(FileCompilato::elementi)],
          trovati[static_cast<int>(FileCompilato::tracciato)]};
}

}  // namespace sc
