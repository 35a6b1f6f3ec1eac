// compile and check: an author's two description files compiled under the
// identity of the options or of the file names. The description files are
// the author's sources: they are only read, on every path.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <system_error>
#include <vector>

#include "cli/cli_comandi.h"
#include "cli/commands.h"
#include "cli/compila_descrizioni.h"
#include "cli/identita.h"
#include "compiler/memorizza_percorso.h"
#include "compiler/sorgenti.h"
#include "compiler/testo.h"
#include "output/diagnostics.h"
#include "output/file_output.h"
#include "output/nomi_file.h"
#include "output/scrivi_compilazione.h"
#include "watch/ripeti.h"

namespace sc {
namespace {

namespace fs = std::filesystem;

bool stesso_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

size_t dopo_il_primo(const FaultLog& log) {
  size_t n = 0;
  for (const Fault& f : log.altre()) n += f.gravita == Gravita::errore && f.dopo_il_primo;
  return n;
}

bool usa_colore(const std::string& quando) {
  if (quando == "always") return true;
  if (quando == "never") return false;
  const char* no_color = std::getenv("NO_COLOR");
  return ::isatty(2) == 1 && (no_color == nullptr || *no_color == '\0');
}

// A compiled file must never land on one of the sources; says so on `err`.
bool uscite_libere(const OpzioniCompile& o, const std::function<std::string(FileCompilato)>& uscita,
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

// The closing line of one run of a watch.
std::string esito_in_breve(int stato, bool solo_controllo) {
  switch (stato) {
    case stato_ok: return solo_controllo ? "no fault" : "compiled without fault";
    case stato_con_errori: return "faults, listed above";
    case stato_uso: return "a description cannot be read";
    case stato_errore_riservato: return "error report: cell 1 already holds an element";
    case stato_file_non_scritto: return "a compiled file could not be written";
    default: return "status " + std::to_string(stato);
  }
}

int compila_osservando(const OpzioniCompile& o, std::ostream& out, std::ostream& err) {
  // The identity does not change with a save: a wrong one ends at once.
  const EsitoIdentita id = identita_compilazione(o.linea, o.treno, o.nome, o.numero);
  if (!id.identita) {
    err << nome_programma << ": " << id.errore << std::endl;
    return stato_uso;
  }
  OpzioniCompile una_volta = o;
  una_volta.osserva = false;
  Ripetizione r;
  r.files = {o.linea, o.treno};
  r.passo = [&] { return comando_compile(una_volta, out, err); };
  r.esito = [&](int stato) { return esito_in_breve(stato, o.solo_controllo); };
  return ripeti_a_ogni_modifica(r, out, err);
}

// The faults and warnings in the format asked for.
void riferisci_diagnostiche(const FaultLog& log, const OpzioniCompile& o, std::ostream& err) {
  if (o.formato == "json") err << diagnostiche_json(log);
  if (o.formato == "sarif") err << diagnostiche_sarif(log, program_version());
  if (o.formato == "text") err << formatta_faults(log, StileDiagnostica{usa_colore(o.colore)});
  err << std::flush;
}

// The exit status of a compile that got as far as its cells, with the
// closing summary line of the text format.
int stato_finale(const FaultLog& log, const OpzioniCompile& o, std::ostream& err) {
  const bool testo = o.formato == "text";
  const size_t avvisi = log.numero(Gravita::avviso);
  const size_t errori = log.numero(Gravita::errore);
  if (errori == 0) {
    if (avvisi == 0) return stato_ok;
    if (testo) {
      err << nome_programma << ": " << conta(avvisi, "warning")
          << (o.rigoroso ? "; --strict makes them faults"
                         : "; the compiled files do not change because of " +
                               std::string(avvisi == 1 ? "it" : "them"))
          << std::endl;
    }
    return o.rigoroso ? stato_con_errori : stato_ok;
  }
  if (testo) {
    const size_t dopo = dopo_il_primo(log);
    err << nome_programma << ": " << conta(errori - dopo, "fault")
        << (dopo ? " and " + std::to_string(dopo) + " more found after the first" : std::string())
        << (avvisi ? ", " + conta(avvisi, "warning") : std::string())
        << (o.solo_controllo ? "" : "; the compiled files were written all the same")
        << "; correct " << (errori == 1 ? "it" : "them") << " and run again" << std::endl;
  }
  return stato_con_errori;
}

}  // namespace

int comando_compile(const OpzioniCompile& o, std::ostream& out, std::ostream& err) {
  if (o.osserva) return compila_osservando(o, out, err);
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
  const auto uscita = [&](FileCompilato k) {
    return in_cartella(o.out, nome_file(k, p.nome_scenario, p.numero_treno));
  };

  if (!o.solo_controllo) {
    if (!uscite_libere(o, uscita, err)) return stato_uso;
    if (!prepara_cartella(o.out, err)) return stato_file_non_scritto;
  }

  FaultLog log;
  const Compilazione c =
      compila_descrizioni(p, o.senza_tracciato ? 0 : 1, {o.linea, o.treno, o.nome, o.numero}, log);
  const bool riservato =
      c.stato == Compilazione::Stato::errore_1250 || c.stato == Compilazione::Stato::errore_1251;

  const bool testo = o.formato == "text";
  riferisci_diagnostiche(log, o, err);

  if (riservato) return stato_errore_riservato;
  if (c.stato == Compilazione::Stato::senza_celle) {
    if (testo) {
      err << nome_programma
          << ": the compile stopped before the line length was read, so there are no cells "
          << "to compile; no compiled file written" << std::endl;
    }
    return stato_con_errori;
  }

  if (!o.solo_controllo) {
    const ScritturaCompilazione scritti =
        scrivi_compilazione(c, p, log, uscita, ModoScrittura{o.sync});
    if (!scritti.motivo.empty()) {
      err << nome_programma << ": " << scritti.motivo << std::endl;
      return scritti.stato;
    }
    for (const std::string& f : scritti.scritti) out << "wrote " << f << "\n";
    out << std::flush;
  }

  return stato_finale(log, o, err);
}

}  // namespace sc
