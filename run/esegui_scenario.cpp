#include "run/esegui_scenario.h"

#include <exception>
#include <iostream>
#include <memory>
#include <vector>

#include "output/diagnostics.h"
#include "run/errore.h"
#include "output/file_output.h"
#include "output/nomi_file.h"
#include "output/scrivi_compilazione.h"

namespace sc {
namespace {

// Writes one file; on failure says why on `err`.
bool scrivi(const std::string& path, const std::string& bytes, std::ostream& err) {
  if (auto motivo = sostituisci_file(path, bytes)) {
    err << nome_programma << ": " << *motivo << std::endl;
    return false;
  }
  return true;
}

}  // namespace

int esegui_scenario(const std::string& dir, StatusWindow& ui, const Compilatore& compila, std::ostream& err) {
  Percorso p;
  p.nome_scenario = nome_scenario_incorporato;
  p.numero_treno = numero_treno_incorporato;

  ui.mostra(etichetta_attesa);

  for (const ScrittoreScenario& s : scrittori_scenario) {
    if (!scrivi(percorso_file(dir, s.file, p.nome_scenario, p.numero_treno), s.dati(), err)) {
      return stato_file_non_scritto;
    }
  }

  FaultLog log;
  const Sorgenti sorgenti{percorso_file(dir, FileScenario::linea_txt, p.nome_scenario, p.numero_treno),
                          percorso_file(dir, FileScenario::treno_txt, p.nome_scenario, p.numero_treno),
                          /*elimina=*/true};
  const Compilazione c = compila(p, 1, sorgenti, log);
  err << formatta_faults(log) << std::flush;

  switch (c.stato) {
    case Compilazione::Stato::errore_1250: return errore("1250", ui);
    case Compilazione::Stato::errore_1251: return errore("1251", ui);
    case Compilazione::Stato::senza_celle:
      err << nome_programma << ": the compile ended before the cells existed; "
          << "no compiled file written, earlier compiled files left as they were" << std::endl;
      return stato_con_errori;
    case Compilazione::Stato::pronto: break;
  }

  const ScritturaCompilazione scritti = scrivi_compilazione(c, p, log, [&](FileCompilato k) {
    return percorso_file(dir, file_compilato(k), p.nome_scenario, p.numero_treno);
  });
  if (!scritti.motivo.empty()) err << nome_programma << ": " << scritti.motivo << std::endl;
  return scritti.stato;
}

int esegui_scenario(const std::string& dir, StatusWindow& ui) {
  return esegui_scenario(dir, ui, memorizza_percorso, std::cerr);
}

int avvia_programma() {
  std::string dir;
  try {
    dir = cartella_programma();
  } catch (const std::exception& e) {
    std::cerr << nome_programma << ": cannot find the program's directory: " << e.what() << std::endl;
    return stato_file_non_scritto;
  }
  // The window (or its headless form) lives until the run has ended and is
  // destroyed on the way out.
  std::unique_ptr<StatusWindow> ui = apri_status_window();
  return esegui_scenario(dir, *ui);
}

}  // namespace sc
