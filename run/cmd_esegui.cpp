// The embedded run with its files in a directory of the user's choice.
#include <ostream>

#include "cli/cli_comandi.h"
#include "run/cmd_esegui.h"
#include "run/esegui_scenario.h"

namespace sc {

int comando_esegui(const std::string& dir, const OpzioniEsecuzione& o, std::ostream& err) {
  if (!prepara_cartella(dir, err)) return stato_file_non_scritto;
  std::unique_ptr<StatusWindow> ui = apri_status_window();
  return esegui_scenario(dir, *ui, o);
}

}  // namespace sc
