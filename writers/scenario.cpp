#include "writers/scenario.h"

#include "writers/contenuto.h"

namespace sc {

// Placeholder tables until the content lands.
const std::vector<std::string>& tabella_linea() { static const std::vector<std::string> t{marcatore_fine}; return t; }
const std::vector<std::string>& tabella_treno() { return tabella_linea(); }
const std::vector<std::string>& tabella_note() { return tabella_linea(); }
const std::vector<std::string>& tabella_rallentamenti() { return tabella_linea(); }
const std::vector<std::string>& tabella_scheda() { return tabella_linea(); }

std::string dati_linea() { return codifica_righe(tabella_linea()); }
std::string dati_treno() { return codifica_righe(tabella_treno()); }
std::string dati_note() { return codifica_righe(tabella_note()); }
std::string dati_rallentamenti() { return codifica_righe(tabella_rallentamenti()); }
std::string dati_scheda() { return codifica_righe(tabella_scheda()); }

}  // namespace sc
