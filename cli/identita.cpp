#include "cli/identita.h"

namespace sc {
namespace {

constexpr std::string_view suffisso_linea = "_linea.txt";
constexpr std::string_view suffisso_treno = "-.txt";

std::string_view base(std::string_view percorso) {
  const size_t slash = percorso.rfind('/');
  return slash == std::string_view::npos ? percorso : percorso.substr(slash + 1);
}

// Why a value given on the command line cannot name files, or "".
std::string difetto(const std::string& valore, const char* opzione) {
  if (valore.empty()) return std::string(opzione) + " must not be empty";
  if (valore.find('/') != std::string::npos)
    return std::string(opzione) + " \"" + valore + "\" must not contain \"/\": it becomes part of file names";
  return "";
}

std::string tra_virgolette(std::string_view s) { return "\"" + std::string(s) + "\""; }

}  // namespace

std::optional<std::string> nome_da_file_linea(std::string_view percorso) {
  const std::string_view b = base(percorso);
  if (!b.ends_with(suffisso_linea) || b.size() == suffisso_linea.size()) return std::nullopt;
  return std::string(b.substr(0, b.size() - suffisso_linea.size()));
}

std::optional<Identita> identita_da_file_treno(std::string_view percorso, const std::optional<std::string>& nome) {
  const std::string_view b = base(percorso);
  if (!b.ends_with(suffisso_treno)) return std::nullopt;
  const std::string_view resto = b.substr(0, b.size() - suffisso_treno.size());
  size_t separatore;
  if (nome) {
    if (resto.size() <= nome->size() + 1 || !resto.starts_with(*nome) || resto[nome->size()] != '_')
      return std::nullopt;
    separatore = nome->size();
  } else {
    separatore = resto.rfind('_');
    if (separatore == std::string_view::npos || separatore == 0 || separatore + 1 == resto.size())
      return std::nullopt;
  }
  return Identita{std::string(resto.substr(0, separatore)), std::string(resto.substr(separatore + 1))};
}

EsitoIdentita identita_compilazione(std::string_view linea, std::string_view treno,
                                    const std::optional<std::string>& nome,
                                    const std::optional<std::string>& numero) {
  for (const auto& [valore, opzione] : {std::pair{&nome, "--name"}, std::pair{&numero, "--train"}}) {
    if (*valore) {
      if (std::string d = difetto(**valore, opzione); !d.empty()) return {std::nullopt, d};
    }
  }

  std::optional<std::string> n = nome ? nome : nome_da_file_linea(linea);
  // The train file follows the rule with the name already known, or else
  // with a name of its own.
  std::optional<Identita> da_treno = identita_da_file_treno(treno, n);
  if (!da_treno && n) da_treno = identita_da_file_treno(treno);
  if (!n && da_treno) n = da_treno->nome_scenario;
  std::optional<std::string> t = numero ? numero : da_treno ? std::optional(da_treno->numero_treno) : std::nullopt;

  if (n && t) return {Identita{*n, *t}, ""};
  const std::string regola_linea = tra_virgolette(base(linea)) + " is not named NAME_linea.txt";
  const std::string regola_treno = tra_virgolette(base(treno)) + " is not named NAME_NUMBER-.txt";
  if (!n && !t)
    return {std::nullopt, "cannot tell the scenario name and the train number: " + regola_linea + " and " +
                              regola_treno + "; give them with --name NAME --train NUMBER"};
  if (!n)
    return {std::nullopt, "cannot tell the scenario name: " + regola_linea + " and " + regola_treno +
                              "; give it with --name NAME"};
  return {std::nullopt, "cannot tell the train number: " + regola_treno + "; give it with --train NUMBER"};
}

}  // namespace sc
