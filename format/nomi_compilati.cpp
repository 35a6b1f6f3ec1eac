#include "format/nomi_compilati.h"

#include <iterator>
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

}  // namespace sc
