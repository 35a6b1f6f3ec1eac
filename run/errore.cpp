#include "run/errore.h"

namespace sc {

std::string testo_errore(const std::string& a) { return " Errore n. " + a; }

int errore(const std::string& a, StatusWindow& ui) {
  ui.messaggio(testo_errore(a));
  return stato_errore_riservato;
}

}  // namespace sc
