#include "output/scrivi_compilazione.h"

#include <optional>

#include "output/stati_uscita.h"
#include "output/file_output.h"
#include "output/scrivi_contenuto.h"

namespace sc {

int stato_compilazione(const Percorso& p, const FaultLog& log) {
  return log.numero(Gravita::errore) == 0 && p.codice_errore == 0 ? stato_ok : stato_con_errori;
}

ScritturaCompilazione scrivi_compilazione(
    const Compilazione& c, const Percorso& p, const FaultLog& log,
    const std::function<std::string(FileCompilato)>& percorso, ModoScrittura modo) {
  ScritturaCompilazione s;
  switch (c.stato) {
    case Compilazione::Stato::errore_1250:
    case Compilazione::Stato::errore_1251: s.stato = stato_errore_riservato; return s;
    case Compilazione::Stato::senza_celle: s.stato = stato_con_errori; return s;
    case Compilazione::Stato::pronto: break;
  }
  std::vector<FileDaScrivere> files;
  for (const CompiledFile& f : c.files) files.push_back(da_scrivere(percorso(f.kind), f.bytes));
  if (std::optional<std::string> motivo = sostituisci_files(files, modo)) {
    s.stato = stato_file_non_scritto;
    s.motivo = *motivo;
    return s;
  }
  for (const FileDaScrivere& f : files) s.scritti.push_back(f.path);
  s.stato = stato_compilazione(p, log);
  return s;
}

}  // namespace sc
