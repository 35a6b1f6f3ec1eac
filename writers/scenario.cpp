#include "writers/scenario.h"

#include "writers/content.h"

namespace sc {

// The tables themselves live one per file: linea.cpp, treno.cpp, note.cpp,
// rallentamenti.cpp, scheda.cpp.

std::string dati_linea() { return encode_rows(line_table()); }
std::string dati_treno() { return encode_rows(train_table()); }
std::string dati_note() { return encode_rows(note_table()); }
std::string dati_rallentamenti() { return encode_rows(restriction_table()); }
std::string dati_scheda() { return encode_rows(sheet_table()); }

}  // namespace sc
