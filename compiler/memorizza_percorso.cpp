#include "compiler/memorizza_percorso.h"

#include "compiler/cell_pass.h"
#include "compiler/mark_and_encode.h"

namespace sc {

Compilation complete_compilation(Percorso& p, FaultLog& log) {
  Compilation c;
  // A parse that ended before the line length was read (or with a length
  // too short for cell 1) leaves no cell to mark: nothing is written.
  if (p.celle.size() < 2) {
    c.status = Compilation::Result::senza_celle;
    return c;
  }

  cell_pass(p, log);

  c.status = mark_and_encode(p);
  if (c.status != Compilation::Result::pronto) return c;

  if (p.modo != 0) c.files.push_back({CompiledKind::tracciato, plan_content(p.tracciato)});
  c.files.push_back({CompiledKind::elementi, serializza_elementi(p.elementi)});
  c.files.push_back({CompiledKind::celle, serializza_celle(p.celle)});
  return c;
}

}  // namespace sc
