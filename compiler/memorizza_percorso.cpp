#include "compiler/memorizza_percorso.h"

#include "compiler/cell_pass.h"
#include "compiler/output_files.h"

namespace sc {

Compilazione completa_compilazione(Percorso& p, FaultLog& log) {
  Compilazione c;
  // A parse that ended before the line length was read (or with a length
  // too short for cell 1) leaves no cell to mark: nothing is written.
  if (p.celle.size() < 2) {
    c.stato = Compilazione::Stato::senza_celle;
    return c;
  }

  passo_celle(p, log);

  c.stato = marca_e_codifica(p);
  if (c.stato != Compilazione::Stato::pronto) return c;

  if (p.modo != 0) c.files.push_back({FileCompilato::tracciato, contenuto_tracciato(p.tracciato)});
  c.files.push_back({FileCompilato::elementi, serializza_elementi(p.elementi)});
  c.files.push_back({FileCompilato::celle, serializza_celle(p.celle)});
  return c;
}

}  // namespace sc
