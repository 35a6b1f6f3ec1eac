// compile and check: an author's two description files compiled under the
// identity of the options or of the file names. The description files are
// the author's sources: they are only read, on every path.
#include <filesystem>
#include <ostream>
#include <system_error>
#include <vector>

#include "cli/cli_comandi.h"
#include "cli/comando.h"
#include "cli/identita.h"
#include "compiler/memorizza_percorso.h"
#include "compiler/sorgenti.h"
#include "output/diagnostics.h"
#include "output/file_output.h"
#include "output/scrivi_contenuto.h"
#include "output/nomi_file.h"

namespace sc {
namespace {

namespace fs = std::filesystem;

bool stesso_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

std::string conta_faults(size_t n) { return std::to_string(n) + (n == 1 ? " fault" : " faults"); }

}  // namespace

int comando_compile(const OpzioniCompile& o, std::ostream& out, std::ostream& err) {
  for (const std::string& sorgente : {o.linea, o.treno}) {
    if (const std::string motivo = non_leggibile(sorgente, false); !motivo.empty()) {
      err << nome_programma << ": " << motivo << std::endl;
      return stato_uso;
    }
  }
  const EsitoIdentita id = identita_compilazione(o.linea, o.treno, o.nome, o.numero);
  if (!id.identita) {
    err << nome_programma << ": " << id.errore << std::endl;
    return stato_uso;
  }

  Percorso p;
  p.nome_scenario = id.identita->nome_scenario;
  p.numero_treno = id.identita->numero_treno;
  auto uscita = [&](CompiledKind k) {
    return in_cartella(o.out, nome_file(file_compilato(k), p.nome_scenario, p.numero_treno));
  };

  if (!o.solo_controllo) {
    // A compiled file must never land on one of the sources.
    for (CompiledKind k : {CompiledKind::tracciato, CompiledKind::elementi, CompiledKind::celle}) {
      for (const std::string& sorgente : {o.linea, o.treno}) {
        if (stesso_file(uscita(k), sorgente)) {
          err << nome_programma << ": the compiled file \"" << uscita(k) << "\" would replace the description \""
              << sorgente << "\"; choose another --out directory or --name" << std::endl;
          return stato_uso;
        }
      }
    }
    if (!prepara_cartella(o.out, err)) return stato_file_non_scritto;
  }

  FaultLog log;
  const Sorgenti sorgenti{o.linea, o.treno, /*elimina=*/false};
  const Compilazione c = memorizza_percorso(p, o.senza_tracciato ? 0 : 1, sorgenti, log);
  err << formatta_faults(log) << std::flush;

  switch (c.stato) {
    case Compilazione::Stato::errore_1250:
    case Compilazione::Stato::errore_1251: {
      const bool marca = c.stato == Compilazione::Stato::errore_1250;
      err << nome_programma << ":" << testo_errore(marca ? "1250" : "1251") << ": cell 1, at the start of the line, "
          << "already holds a value from an element placed there; that slot is reserved for the compiled files' "
          << (marca ? "mark" : "contest code") << ", so place the element further along the line. "
          << "No compiled file written." << std::endl;
      return stato_errore_riservato;
    }
    case Compilazione::Stato::senza_celle:
      err << nome_programma << ": the compile stopped before the line length was read, so there are no cells "
          << "to compile; no compiled file written" << std::endl;
      return stato_con_errori;
    case Compilazione::Stato::pronto: break;
  }

  if (!o.solo_controllo) {
    // All three replaced together: none of them unless all are on disk.
    std::vector<FileDaScrivere> files;
    for (const CompiledFile& f : c.files) files.push_back(da_scrivere(uscita(f.kind), f.bytes));
    if (auto motivo = sostituisci_files(files)) {
      err << nome_programma << ": " << *motivo << std::endl;
      return stato_file_non_scritto;
    }
    for (const FileDaScrivere& f : files) out << "wrote " << f.path << "\n";
    out << std::flush;
  }

  if (log.empty() && p.codice_errore == 0) return stato_ok;
  const size_t n = log.empty() ? 1 : log.all().size();
  err << nome_programma << ": " << conta_faults(n)
      << (o.solo_controllo ? "" : "; the compiled files were written all the same")
      << "; correct " << (n == 1 ? "it" : "them") << " and run again" << std::endl;
  return stato_con_errori;
}

Comando registra_compile(CLI::App& app, bool solo_controllo) {
  auto o = std::make_shared<OpzioniCompile>();
  o->solo_controllo = solo_controllo;
  CLI::App* sub =
      solo_controllo
          ? app.add_subcommand("check", "Compile a line and a train description and report the faults, writing nothing")
          : app.add_subcommand("compile",
                               "Compile a line and a train description into NAME_linea.dat, NAME_NUMBER.sim and "
                               "NAME_NUMBER.dat");
  sub->add_option("LINE", o->linea, "Line description file (only read)")->required()->type_name("FILE");
  sub->add_option("TRAIN", o->treno, "Train description file (only read)")->required()->type_name("FILE");
  sub->add_option("--name", o->nome, "Scenario name (nome_scenario)")->type_name("NAME");
  sub->add_option("--train", o->numero, "Train number (numero_treno)")->type_name("NUMBER");
  sub->footer(
      "The scenario name and train number come from --name and --train, or else from\n"
      "the file names when they follow the rule NAME_linea.txt and NAME_NUMBER-.txt.\n"
      "Faults are reported as FILE:LINE: error N: MESSAGE, with the line and a caret.\n\n" +
      testo_stati_uscita());
  if (!solo_controllo) {
    sub->add_option("--out", o->out, "Directory for the compiled files (created if missing)")
        ->type_name("DIR")
        ->capture_default_str();
    sub->add_flag("--no-plan", o->senza_tracciato, "Compile without the track plan (mode 0): no NAME_linea.dat");
  }
  return {sub, [o] {
            if (o->out.empty()) return errore_di_uso("--out needs a directory name (\".\" for the current directory)");
            return comando_compile(*o, std::cout, std::cerr);
          }};
}

}  // namespace sc
