#include "compiler/memorizza_dati.h"

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <system_error>

#include "compiler/line_parser.h"
#include "compiler/train_parser.h"

namespace sc {
namespace {

void elimina_se_esiste(const Sorgenti& s, const std::string& path) {
  if (!s.elimina) return;
  std::error_code ec;
  std::filesystem::remove(path, ec);  // a file that is already gone is fine
}

// The catch-all failure handler: the description files that still exist are
// deleted and fault 25 is recorded; `posizione_errore` stays as it was.
void fallimento(Percorso& p, const Sorgenti& sorgenti, FaultLog& log,
                std::optional<SourceLocation> where, std::string message) {
  elimina_se_esiste(sorgenti, sorgenti.linea);
  elimina_se_esiste(sorgenti, sorgenti.treno);
  registra(p, log, Fault{25, std::nullopt, std::move(where), std::move(message)});
}

}  // namespace

namespace {

// After a fault that ended the parse: both descriptions read again on a
// scratch model, skipping each faulty entry, and every diagnostic the first
// reading did not give added to the log, marked as found after the first
// fault. The model of the compile is not touched.
void leggi_oltre(const Percorso& p, const Sorgenti& sorgenti, FaultLog& log) {
  Percorso q;
  q.nome_scenario = p.nome_scenario;
  q.numero_treno = p.numero_treno;
  q.modo = p.modo;
  q.elementi.at(record_sfondo_identita).nome = q.nome_scenario;
  q.elementi.at(record_ripetizione).nome = q.numero_treno;
  FaultLog altro;
  try {
    StatoLettura stato{q, altro};
    stato.recupero = true;
    FieldReader linea = FieldReader::open(sorgenti.linea, sorgenti.linea);
    linea.segnala_in(&altro);
    if (leggi_linea(stato, linea) == EsitoLinea::continua && q.ha_celle()) {
      FieldReader treno = FieldReader::open(sorgenti.treno, sorgenti.treno);
      treno.segnala_in(&altro);
      leggi_treno(stato, treno);
    }
  } catch (const std::exception&) {
    // What was found up to here is still told.
  }
  const auto stesso = [](const Fault& a, const Fault& b) {
    const auto luogo = [](const Fault& f) {
      return f.where ? std::tuple(f.where->file, f.where->line, f.where->colonna_file())
                     : std::tuple(std::string(), 0, 0);
    };
    return a.codice == b.codice && a.gravita == b.gravita && a.message == b.message && luogo(a) == luogo(b);
  };
  // The new faults are gathered first: adding to the log may move the
  // faults that `gia` points to.
  std::vector<Fault> nuovi;
  {
    const std::vector<const Fault*> gia = log.in_ordine();
    for (const Fault* f : altro.in_ordine()) {
      if (std::any_of(gia.begin(), gia.end(), [&](const Fault* g) { return stesso(*f, *g); })) continue;
      nuovi.push_back(*f);
      nuovi.back().dopo_il_primo = true;
    }
  }
  for (Fault& f : nuovi) log.aggiungi_altra(std::move(f));
}

// The parse that the compile reflects.
void leggi_descrizioni(Percorso& p, const Sorgenti& sorgenti, FaultLog& log) {
  try {
    p.elementi.at(record_sfondo_identita).nome = p.nome_scenario;
    p.elementi.at(record_ripetizione).nome = p.numero_treno;

    std::error_code ec;
    if (!std::filesystem::exists(sorgenti.linea, ec)) {
      registra(p, log,
               Fault{101, std::nullopt, SourceLocation{sorgenti.linea, 0, 0, 0, ""},
                     "no line description file"});
      return;
    }

    StatoLettura stato{p, log};
    // The reader holds the whole file: it is closed as soon as it is read.
    FieldReader linea = FieldReader::open(sorgenti.linea, sorgenti.linea);
    linea.segnala_in(&log);
    const EsitoLinea esito = leggi_linea(stato, linea);
    // Deleted on every way out of the line half.
    elimina_se_esiste(sorgenti, sorgenti.linea);
    if (esito == EsitoLinea::fine) return;

    FieldReader treno = FieldReader::open(sorgenti.treno, sorgenti.treno);
    treno.segnala_in(&log);
    leggi_treno(stato, treno);
    elimina_se_esiste(sorgenti, sorgenti.treno);
  } catch (const ParseFailure& e) {
    fallimento(p, sorgenti, log, e.where(), e.voce() + e.what());
  } catch (const std::exception& e) {
    // An index the rules did not foresee (checked access) ends up here too.
    fallimento(p, sorgenti, log, std::nullopt, std::string("internal limit: ") + e.what());
  } catch (...) {
    fallimento(p, sorgenti, log, std::nullopt, "internal failure");
  }
}

}  // namespace

void memorizza_dati(Percorso& p, const Sorgenti& sorgenti, FaultLog& log) {
  leggi_descrizioni(p, sorgenti, log);
  // An author's files (the embedded run deletes its own) are read on past
  // the fault that ended the parse.
  if (!sorgenti.elimina && p.codice_errore != 0 && std::filesystem::exists(sorgenti.linea)) {
    leggi_oltre(p, sorgenti, log);
  }
}

}  // namespace sc
