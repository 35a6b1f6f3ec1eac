// compile and check: an author's two description files compiled under the
// identity of the options or of the file names. The description files are
// the author's sources: they are only read, on every path.
#include <filesystem>
#include <functional>
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
#include "output/nomi_file.h"
#include "output/scrivi_compilazione.h"

namespace sc {
namespace {

namespace fs = std::filesystem;

bool stesso_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

std::string conta_faults(size_t n) { return std::to_string(n) + (n == 1 ? " fault" : " faults"); }

// A compiled file must never land on one of the sources; says so on `err`.
bool uscite_libere(const OpzioniCompile& o, const std::function<std::string(CompiledKind)>& uscita,
                   std::ostream& err) {
  for (const NomeCompilato& n : nomi_compilati) {
    for (const std::string& sorgente : {o.linea, o.treno}) {
      if (stesso_file(uscita(n.tipo), sorgente)) {
        err << nome_programma << ": the compiled file \"" << uscita(n.tipo)
            << "\" would replace the description \"" << sorgente
            << "\"; choose another --out directory or --name" << std::endl;
        return false;
      }
    }
  }
  return true;
}

// The error report 1250 (`marca`) or 1251, with what it means for an author.
void spiega_errore_riservato(bool marca, std::ostream& err) {
  err << nome_programma << ":" << testo_errore(marca ? "1250" : "1251")
      << ": cell 1, at the start of the line, already holds a value from an element placed there; "
      << "that slot is reserved for the compiled files' " << (marca ? "mark" : "contest code")
      << ", so place the element further along the line. No compiled file written." << std::endl;
}

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
  const auto uscita = [&](CompiledKind k) {
    return in_cartella(o.out, nome_file(file_compilato(k), p.nome_scenario, p.numero_treno));
  };

  if (!o.solo_controllo) {
    if (!uscite_libere(o, uscita, err)) return stato_uso;
    if (!prepara_cartella(o.out, err)) return stato_file_non_scritto;
  }

  FaultLog log;
  const Sorgenti sorgenti{o.linea, o.treno, /*elimina=*/false};
  const Compilazione c = memorizza_percorso(p, o.senza_tracciato ? 0 : 1, sorgenti, log);
  err << formatta_faults(log) << std::flush;

  switch (c.stato) {
    case Compilazione::Stato::errore_1250:
    case Compilazione::Stato::errore_1251:
      spiega_errore_riservato(c.stato == Compilazione::Stato::errore_1250, err);
      return stato_errore_riservato;
    case Compilazione::Stato::senza_celle:
      err << nome_programma << ": the compile stopped before the line length was read, so there are no cells "
          << "to compile; no compiled file written" << std::endl;
      return stato_con_errori;
    case Compilazione::Stato::pronto: break;
  }

  if (!o.solo_controllo) {
    const ScritturaCompilazione scritti = scrivi_compilazione(c, p, log, uscita);
    if (!scritti.motivo.empty()) {
      err << nome_programma << ": " << scritti.motivo << std::endl;
      return scritti.stato;
    }
    for (const std::string& f : scritti.scritti) out << "wrote " << f << "\n";
    out << std::flush;
  }

  if (stato_compilazione(p, log) == stato_ok) return stato_ok;
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
