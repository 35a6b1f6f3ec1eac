#include "writers/scenario.h"

#include "writers/contenuto.h"

namespace sc {

// The tables themselves live one per file: linea.cpp, treno.cpp, note.cpp,
// rallentamenti.cpp, scheda.cpp.

std::string dati_linea() { return codifica_righe(tabella_linea()); }
std::string dati_treno() { return codifica_righe(tabella_treno()); }
std::string dati_note() { return codifica_righe(tabella_note()); }
std::string dati_rallentamenti() { return codifica_righe(tabella_rallentamenti()); }
std::string dati_scheda() { return codifica_righe(tabella_scheda()); }

}  // namespace sc
