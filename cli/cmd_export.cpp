// export: the embedded scenario's five text files, as a starting point for
// an author's own scenario.
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/cli_comandi.h"
#include "cli/comando.h"
#include "output/file_output.h"
#include "output/scenario_incorporato.h"

namespace sc {

int comando_export(const std::string& dir, bool sostituisci, std::ostream& out, std::ostream& err) {
  if (!prepara_cartella(dir, err)) return stato_file_non_scritto;
  auto percorso = [&](FileScenario f) {
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

  for (const ScrittoreScenario& s : scrittori_scenario) {
    if (auto motivo = sostituisci_file(percorso(s.file), s.dati())) {
      err << nome_programma << ": " << *motivo << std::endl;
      return stato_file_non_scritto;
    }
    out << "wrote " << percorso(s.file) << "\n";
  }
  out << "Edit the line and train descriptions, then compile them with:\n  " << nome_programma << " compile "
      << per_shell(percorso(FileScenario::linea_txt)) << " " << per_shell(percorso(FileScenario::treno_txt));
  if (dir != ".") out << " --out " << per_shell(dir);
  out << std::endl;
  return stato_ok;
}

Comando registra_export(CLI::App& app) {
  struct Opzioni {
    std::string out = ".";
    bool forza = false;
  };
  auto o = std::make_shared<Opzioni>();
  CLI::App* sub = app.add_subcommand(
      "export", "Write the embedded scenario's line and train description and its three documents, to edit");
  sub->add_option("--out", o->out, "Directory to write into (created if missing)")->type_name("DIR")->capture_default_str();
  sub->add_flag("--force", o->forza, "Replace files of the same names");
  sub->footer(testo_stati_uscita());
  return {sub, [o] {
            if (o->out.empty()) return errore_di_uso("--out needs a directory name (\".\" for the current directory)");
            return comando_export(o->out, o->forza, std::cout, std::cerr);
          }};
}

}  // namespace sc
