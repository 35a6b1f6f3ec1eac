// inspect: one compiled file shown as text or JSON.
#include <ostream>
#include <stdexcept>

#include "esamina/programma_esamina.h"

#include "cli/cli_comandi.h"
#include "format/compiled_decode.h"
#include "esamina/esamina.h"

namespace sc {

int comando_inspect(const OpzioniInspectRiga& o, std::ostream& out, std::ostream& err) {
  OpzioniInspect opzioni;
  try {
    opzioni.json = o.json;
    if (o.celle) opzioni.celle = intervallo_da_testo(*o.celle);
    if (o.km) opzioni.metri = intervallo_da_km(*o.km);
    for (const std::string& nome : o.solo) opzioni.solo.push_back(filtro_da_nome(nome));
    if (o.ogni) {
      if (*o.ogni < 1) throw std::invalid_argument("--every must be 1 or more, not " + std::to_string(*o.ogni));
      opzioni.ogni = *o.ogni;
    }
  } catch (const std::invalid_argument& e) {
    err << nome_programma << ": " << e.what() << "\nRun with --help for more information." << std::endl;
    return stato_uso;
  }

  if (const std::string motivo = non_leggibile(o.file, false); !motivo.empty()) {
    err << nome_programma << ": " << motivo << std::endl;
    return stato_uso;
  }
  std::string testo;
  try {
    testo = mostra_file(o.file, opzioni);
  } catch (const DecodeError& e) {
    err << nome_programma << ": " << o.file << ": " << e.what() << std::endl;
    return stato_uso;
  } catch (const std::exception& e) {
    // A bad option for this kind of file, a file that cannot be read, or
    // one too large to hold in memory.
    err << nome_programma << ": " << e.what() << std::endl;
    return stato_uso;
  }
  out << testo << std::flush;
  return stato_ok;
}

}  // namespace sc
