#include "compiler/memorizza_percorso.h"

#include "compiler/memorizza_dati.h"

namespace sc {

// Placeholder until the pass and the output step land: parses only.
Compilazione memorizza_percorso(Percorso& p, int32_t j, const Sorgenti& sorgenti, FaultLog& log) {
  p.modo = j;
  p.codice_errore = 0;
  for (Elemento& e : p.elementi) e = Elemento{};
  memorizza_dati(p, sorgenti, log);
  Compilazione c;
  c.stato = Compilazione::Stato::senza_celle;
  return c;
}

}  // namespace sc
