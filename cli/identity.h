// The scenario identity of an author's compile: from the --name and --train
// options, or else from the names of the two description files when they
// follow the naming rule ("NAME_linea.txt", "NAME_NUMBER-.txt").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sc {

struct Identity {
  std::string nome_scenario;
  std::string numero_treno;
};

// NAME of a line description named "NAME_linea.txt" (directories ignored),
// nothing for any other name.
std::optional<std::string> name_from_linea_file(std::string_view percorso);

// NAME and NUMBER of a train description named "NAME_NUMBER-.txt"
// (directories ignored). With `nome` known, the file must start with
// `nome` + "_" and NUMBER is the rest; without it the name splits at the
// last "_". Nothing when the file does not follow the rule.
std::optional<Identity> identity_from_treno_file(
    std::string_view percorso, const std::optional<std::string>& nome = std::nullopt);

// The identity itself, or the one-line reason it cannot be told.
struct IdentityOutcome {
  std::optional<Identity> identity;
  std::string errore;  // set when `identity` is not
};

// The name comes from `nome`, else from the line file, else from the train
// file; the number from `numero`, else from the train file. An empty value
// or one holding "/" is refused, since it becomes part of file names.
IdentityOutcome compilation_identity(std::string_view linea, std::string_view treno,
                                     const std::optional<std::string>& nome,
                                     const std::optional<std::string>& numero);

}  // namespace sc
