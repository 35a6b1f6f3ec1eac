#include "output/stati_uscita.h"

namespace sc {

std::string testo_stati_uscita() {
  std::string t = "Exit status:";
  for (const StatoUscita& s : stati_uscita) t += "\n  " + std::to_string(s.stato) + "  " + s.breve;
  return t;
}

}  // namespace sc
