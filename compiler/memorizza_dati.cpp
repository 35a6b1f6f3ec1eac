#include "compiler/memorizza_dati.h"

#include <filesystem>
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

void memorizza_dati(Percorso& p, const Sorgenti& sorgenti, FaultLog& log) {
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

}  // namespace sc
