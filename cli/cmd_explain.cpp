// explain: what a fault, warning or note means, the rule behind it, how to
// fix it and an example, from the catalogue of codes.
#include <ostream>
#include <sstream>

#include "cli/cli_comandi.h"
#include "cli/commands.h"
#include "compiler/catalogo_codici.h"

namespace sc {
namespace {

constexpr size_t larghezza = 78;
constexpr const char* rientro = "  ";

// `testo` in lines of at most `larghezza` characters (a longer word stands
// alone), each indented.
std::string a_capo(std::string_view testo) {
  std::istringstream parole{std::string(testo)};
  std::string s, riga, parola;
  while (parole >> parola) {
    if (!riga.empty() && std::string(rientro).size() + riga.size() + 1 + parola.size() > larghezza) {
      s += rientro + riga + "\n";
      riga.clear();
    }
    riga += (riga.empty() ? "" : " ") + parola;
  }
  if (!riga.empty()) s += rientro + riga + "\n";
  return s;
}

std::string_view nome_descrizione(FileEsempio f) { return f == FileEsempio::linea ? "line" : "train"; }

std::string spiegazione(const VoceCodice& v) {
  std::string s = std::string(v.codice) + ": " + std::string(v.titolo) + " (" + std::string(nome_gravita(v.gravita)) +
                  ")\n\nWhat it means\n" + a_capo(v.significato) + "\nThe rule\n" + a_capo(v.regola) +
                  "\nHow to fix it\n" + a_capo(v.rimedio) + "\n";
  if (v.file == FileEsempio::nessuno) {
    s += "Example\n";
  } else {
    s += "Example (" + std::string(nome_descrizione(v.file)) + " description)\n";
  }
  s += rientro + std::string(v.esempio) + "\nFixed\n" + rientro + std::string(v.correzione) + "\n";
  if (v.file != FileEsempio::nessuno) {
    s += "\nTry it\n";
    const std::string prova = "Export the embedded scenario (scenario-compiler export) and, in its " +
                              std::string(nome_descrizione(v.file)) + " description, ";
    if (v.sostituisce.empty()) {
      s += a_capo(prova + "add the example line before \"[fine]\".");
    } else {
      s += a_capo(prova + "put the example line in place of this one:") + rientro + std::string(v.sostituisce) + "\n";
    }
  }
  s += "\nSee docs/format.md, section \"" + std::string(v.sezione) + "\".\n";
  return s;
}

}  // namespace

int comando_explain(const std::optional<std::string>& codice, bool elenco, std::ostream& out, std::ostream& err) {
  if (elenco) {
    for (const VoceCodice& v : catalogo_codici()) {
      std::string c(v.codice), g(nome_gravita(v.gravita));
      c.resize(7, ' ');
      g.resize(9, ' ');
      out << c << g << v.titolo << "\n";
    }
    return stato_ok;
  }
  const VoceCodice* v = codice ? trova_codice(*codice) : nullptr;
  if (v == nullptr) {
    err << nome_programma << ": explain: unknown code \"" << codice.value_or("") << "\"; codes are written E16 (or 16), W3, N1; "
        << "'" << nome_programma << " explain --list' lists them all" << std::endl;
    return stato_uso;
  }
  out << spiegazione(*v);
  return stato_ok;
}

}  // namespace sc
