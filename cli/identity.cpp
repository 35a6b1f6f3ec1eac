#include "cli/identity.h"

namespace sc {
namespace {

constexpr std::string_view linea_suffix = "_linea.txt";
constexpr std::string_view treno_suffix = "-.txt";

std::string_view base(std::string_view percorso) {
  const size_t slash = percorso.rfind('/');
  return slash == std::string_view::npos ? percorso : percorso.substr(slash + 1);
}

// Why a value given on the command line cannot name files, or "".
std::string value_fault(const std::string& valore, const char* option) {
  if (valore.empty()) return std::string(option) + " must not be empty";
  if (valore.find('/') != std::string::npos)
    return std::string(option) + " \"" + valore +
           "\" must not contain \"/\": it becomes part of file names";
  return "";
}

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

}  // namespace

std::optional<std::string> name_from_linea_file(std::string_view percorso) {
  const std::string_view b = base(percorso);
  if (!b.ends_with(linea_suffix) || b.size() == linea_suffix.size()) return std::nullopt;
  return std::string(b.substr(0, b.size() - linea_suffix.size()));
}

std::optional<Identity> identity_from_treno_file(std::string_view percorso,
                                                 const std::optional<std::string>& nome) {
  const std::string_view b = base(percorso);
  if (!b.ends_with(treno_suffix)) return std::nullopt;
  const std::string_view rest = b.substr(0, b.size() - treno_suffix.size());
  size_t separator;
  if (nome) {
    if (rest.size() <= nome->size() + 1 || !rest.starts_with(*nome) || rest[nome->size()] != '_')
      return std::nullopt;
    separator = nome->size();
  } else {
    separator = rest.rfind('_');
    if (separator == std::string_view::npos || separator == 0 || separator + 1 == rest.size())
      return std::nullopt;
  }
  return Identity{std::string(rest.substr(0, separator)), std::string(rest.substr(separator + 1))};
}

IdentityOutcome compilation_identity(std::string_view linea, std::string_view treno,
                                     const std::optional<std::string>& nome,
                                     const std::optional<std::string>& numero) {
  for (const auto& [valore, option] : {std::pair{&nome, "--name"}, std::pair{&numero, "--train"}}) {
    if (*valore) {
      if (std::string d = value_fault(**valore, option); !d.empty()) return {std::nullopt, d};
    }
  }

  std::optional<std::string> n = nome ? nome : name_from_linea_file(linea);
  // The train file follows the rule with the name already known, or else
  // with a name of its own.
  std::optional<Identity> from_treno = identity_from_treno_file(treno, n);
  if (!from_treno && n) from_treno = identity_from_treno_file(treno);
  if (!n && from_treno) n = from_treno->nome_scenario;
  std::optional<std::string> t = numero       ? numero
                                 : from_treno ? std::optional(from_treno->numero_treno)
                                              : std::nullopt;

  if (n && t) return {Identity{*n, *t}, ""};
  const std::string rule_linea = quoted(base(linea)) + " is not named NAME_linea.txt";
  const std::string rule_treno = quoted(base(treno)) + " is not named NAME_NUMBER-.txt";
  if (!n && !t)
    return {std::nullopt, "cannot tell the scenario name and the train number: " + rule_linea +
                              " and " + rule_treno + "; give them with --name NAME --train NUMBER"};
  if (!n)
    return {std::nullopt, "cannot tell the scenario name: " + rule_linea + " and " + rule_treno +
                              "; give it with --name NAME"};
  return {std::nullopt,
          "cannot tell the train number: " + rule_treno + "; give it with --train NUMBER"};
}

}  // namespace sc
