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

}  // namespace

void memorizza_dati(Percorso& p, const Sorgenti& sorgenti, FaultLog& log) {
  p.elementi[record_sfondo_identita].nome = p.nome_scenario;
  p.elementi[record_ripetizione].nome = p.numero_treno;

  std::error_code ec;
  if (!std::filesystem::exists(sorgenti.linea, ec)) {
    registra(p, log, Fault{101, std::nullopt, SourceLocation{sorgenti.linea, 0, 0, 0, ""},
                           "no line description file"});
    return;
  }

  StatoLettura stato{p, log};
  try {
    FieldReader linea = FieldReader::open(sorgenti.linea, sorgenti.linea);
    const EsitoLinea esito = leggi_linea(stato, linea);
    // The line file is closed and deleted on every way out of the line half.
    elimina_se_esiste(sorgenti, sorgenti.linea);
    if (esito == EsitoLinea::fine) return;

    FieldReader treno = FieldReader::open(sorgenti.treno, sorgenti.treno);
    leggi_treno(stato, treno);
    elimina_se_esiste(sorgenti, sorgenti.treno);
  } catch (const ParseFailure& e) {
    elimina_se_esiste(sorgenti, sorgenti.linea);
    elimina_se_esiste(sorgenti, sorgenti.treno);
    p.codice_errore = 25;
    log.add(Fault{25, std::nullopt, e.where(), e.what()});
  } catch (const std::exception& e) {
    // An index the rules did not foresee (checked access) ends up here too.
    elimina_se_esiste(sorgenti, sorgenti.linea);
    elimina_se_esiste(sorgenti, sorgenti.treno);
    p.codice_errore = 25;
    log.add(Fault{25, std::nullopt, std::nullopt, std::string("internal limit: ") + e.what()});
  }
}

}  // namespace sc
