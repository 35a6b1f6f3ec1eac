#include "run/errore.h"

namespace sc {

int errore(const std::string& a, StatusWindow& ui) {
  ui.messaggio(testo_errore(a));
  return stato_errore_riservato;
}

}  // namespace sc
