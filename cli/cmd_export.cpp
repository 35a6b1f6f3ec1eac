// export: the embedded scenario's five text files, as a starting point for
// an author's own scenario.
#include <filesystem>
#include <ostream>
#include <system_error>
#include <vector>

#include "cli/cli_comandi.h"
#include "cli/commands.h"
#include "output/file_output.h"
#include "output/scenario_incorporato.h"

namespace sc {

int comando_export(const std::string& dir, bool sostituisci, std::ostream& out, std::ostream& err) {
  if (!prepara_cartella(dir, err)) return stato_file_non_scritto;
  auto percorso = [&](FileTesto f) {
    return in_cartella(dir, nome_file(f, nome_scenario_incorporato, numero_treno_incorporato));
  };

  // An author's edited descriptions are never replaced by accident.
  if (!sostituisci) {
    for (const ScrittoreScenario& s : scrittori_scenario) {
      std::error_code ec;
      if (std::filesystem::exists(percorso(s.file), ec) || ec) {
        err << nome_programma << ": \"" << percorso(s.file)
            << "\" already exists; nothing exported (give --force to replace the files, or --out DIR "
               "for another directory)"
            << std::endl;
        return stato_file_non_scritto;
      }
    }
  }

  // The five files replaced as one set: none of them unless all are
  // written, so a failure leaves nothing that a retry would refuse.
  std::vector<std::string> testi;
  std::vector<FileDaScrivere> files;
  for (const ScrittoreScenario& s : scrittori_scenario) testi.push_back(s.dati());
  for (size_t i = 0; i < testi.size(); ++i) files.push_back({percorso(scrittori_scenario[i].file), {testi[i]}});
  if (auto motivo = sostituisci_files(files)) {
    err << nome_programma << ": " << *motivo << std::endl;
    return stato_file_non_scritto;
  }
  for (const FileDaScrivere& f : files) out << "wrote " << f.path << "\n";
  out << "Edit the line and train descriptions, then compile them with:\n  " << nome_programma << " compile "
      << per_shell(percorso(FileTesto::linea_txt)) << " " << per_shell(percorso(FileTesto::treno_txt));
  if (dir != ".") out << " --out " << per_shell(dir);
  out << std::endl;
  return stato_ok;
}

}  // namespace sc
