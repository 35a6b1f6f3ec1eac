#include "run/esegui_scenario.h"

#include <sys/stat.h>

#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <vector>

#include "cli/compila_descrizioni.h"
#include "output/diagnostics.h"
#include "run/errore.h"
#include "output/file_output.h"
#include "output/nomi_file.h"
#include "output/scrivi_compilazione.h"

namespace sc {
namespace {

// True when something other than `bytes` stands at `path`: a file of
// other content, a directory, a link. A missing file (or one that cannot be
// looked at, which the write then reports) is not in the way.
bool diverso(const std::string& path, const std::string& bytes) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  if (!S_ISREG(st.st_mode) || static_cast<uintmax_t>(st.st_size) != bytes.size()) return true;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string c(std::istreambuf_iterator<char>(in), {});
  return c != bytes;
}

// A description the run is done with; one already gone is fine.
void elimina_se_esiste(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

}  // namespace

int esegui_scenario(const std::string& dir, StatusWindow& ui, const Compilatore& compila, std::ostream& err,
                    const OpzioniEsecuzione& o) {
  Percorso p;
  p.nome_scenario = nome_scenario_incorporato;
  p.numero_treno = numero_treno_incorporato;

  ui.mostra(etichetta_attesa);

  const BloccoCartella blocco(dir);
  std::vector<std::string> testi;
  for (const ScrittoreScenario& s : scrittori_scenario) testi.push_back(s.dati());

  // The descriptions are deleted once read: an author's edited copy in
  // their place would be lost.
  if (!o.forza) {
    for (size_t i = 0; i < testi.size(); ++i) {
      const FileTesto f = scrittori_scenario[i].file;
      if (f != FileTesto::linea_txt && f != FileTesto::treno_txt) continue;
      const std::string path = percorso_file(dir, f, p.nome_scenario, p.numero_treno);
      if (diverso(path, testi[i])) {
        err << nome_programma << ": \"" << path << "\" is not the embedded scenario's "
            << (f == FileTesto::linea_txt ? "line" : "train")
            << " description; the run would replace it and then delete it. Nothing written (move it away, "
               "or give --force to replace it)"
            << std::endl;
        return stato_file_non_scritto;
      }
    }
  }

  for (size_t i = 0; i < testi.size(); ++i) {
    const std::string path = percorso_file(dir, scrittori_scenario[i].file, p.nome_scenario, p.numero_treno);
    if (auto motivo = sostituisci_file(path, testi[i], o.modo)) {
      err << nome_programma << ": " << *motivo << std::endl;
      return stato_file_non_scritto;
    }
  }

  // The line description is read and deleted before the train description
  // is read; the train description goes once the parse is done with it.
  const std::string linea = percorso_file(dir, FileTesto::linea_txt, p.nome_scenario, p.numero_treno);
  const std::string treno = percorso_file(dir, FileTesto::treno_txt, p.nome_scenario, p.numero_treno);
  CompileInput in;
  in.line = read_description(linea);
  elimina_se_esiste(linea);
  in.train = read_description(treno);
  in.nome_scenario = p.nome_scenario;
  in.numero_treno = p.numero_treno;
  in.modo = 1;
  CompileResult r = compila(in);
  if (r.train_consumed) elimina_se_esiste(treno);
  p = std::move(r.model);
  const FaultLog& log = r.log;
  const Compilazione& c = r.compilation;
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

  const ScritturaCompilazione scritti = scrivi_compilazione(
      c, p, log,
      [&](FileCompilato k) { return percorso_file(dir, k, p.nome_scenario, p.numero_treno); },
      o.modo);
  if (!scritti.motivo.empty()) err << nome_programma << ": " << scritti.motivo << std::endl;
  return scritti.stato;
}

int esegui_scenario(const std::string& dir, StatusWindow& ui, const OpzioniEsecuzione& o) {
  return esegui_scenario(dir, ui, [](const CompileInput& in) { return compile_descriptions(in); }, std::cerr, o);
}

int avvia_programma(const OpzioniEsecuzione& o) {
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
  return esegui_scenario(dir, *ui, o);
}

}  // namespace sc
