#include "compiler/memorizza_dati.h"

#include <cctype>
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

bool spazio(char c) { return c == ' ' || c == '\t'; }

// Which field of its entry a failure points at, as "field N of "KEY"" (the
// key is field 1), or "" when the location does not tell. Entries stand one
// to a line with their key first; values are separated by commas, numbers
// also by blanks.
std::string campo_della_voce(const SourceLocation& w) {
  if (w.line <= 0 || w.column <= 0 || static_cast<size_t>(w.column - 1) > w.text.size()) return "";
  const std::string prima = w.text.substr(0, static_cast<size_t>(w.column - 1));
  const size_t virgola = prima.find(',');
  if (virgola == std::string::npos) return "";  // the key itself
  std::string chiave = w.text.substr(0, w.text.find(','));
  while (!chiave.empty() && spazio(chiave.front())) chiave.erase(chiave.begin());
  while (!chiave.empty() && spazio(chiave.back())) chiave.pop_back();
  // A line that starts with a value continues an entry of an earlier line.
  if (chiave.empty() || !std::isalpha(static_cast<unsigned char>(chiave.front()))) return "";
  // Fields before the one at fault: every comma-separated part counts once,
  // or once per blank-separated word when it holds several numbers.
  int campo = 1;
  size_t inizio = virgola + 1;
  for (;;) {
    const size_t fine = prima.find(',', inizio);
    const std::string parte = prima.substr(inizio, fine == std::string::npos ? std::string::npos : fine - inizio);
    int parole = 0;
    for (size_t i = 0; i < parte.size(); ++i)
      if (!spazio(parte[i]) && (i == 0 || spazio(parte[i - 1]))) ++parole;
    if (fine == std::string::npos) {
      campo += parole + 1;  // the words before the field at fault in its own part
      break;
    }
    campo += parole > 1 ? parole : 1;
    inizio = fine + 1;
  }
  return "field " + std::to_string(campo) + " of \"" + chiave + "\": ";
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
    const EsitoLinea esito = leggi_linea(stato, linea);
    // Deleted on every way out of the line half.
    elimina_se_esiste(sorgenti, sorgenti.linea);
    if (esito == EsitoLinea::fine) return;

    FieldReader treno = FieldReader::open(sorgenti.treno, sorgenti.treno);
    leggi_treno(stato, treno);
    elimina_se_esiste(sorgenti, sorgenti.treno);
  } catch (const ParseFailure& e) {
    fallimento(p, sorgenti, log, e.where(), campo_della_voce(e.where()) + e.what());
  } catch (const std::exception& e) {
    // An index the rules did not foresee (checked access) ends up here too.
    fallimento(p, sorgenti, log, std::nullopt, std::string("internal limit: ") + e.what());
  } catch (...) {
    fallimento(p, sorgenti, log, std::nullopt, "internal failure");
  }
}

}  // namespace sc
