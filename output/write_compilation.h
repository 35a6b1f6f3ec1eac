// The step after a compile, shared by the embedded run and `compile`: the
// compiled files written together, and the exit status the compile earns.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "compiler/fault.h"
#include "compiler/memorizza_percorso.h"
#include "model/percorso.h"
#include "output/file_output.h"

namespace sc {

// 0 when the compile recorded no fault (of the rules, or beside them such
// as a text that cannot be stored), 1 otherwise.
int compilation_status(const FaultLog& log);

struct CompilationWrite {
  int status = 0;                    // the exit status
  std::vector<std::string> written;  // the files written, in order
  std::string reason;                // why a file could not be written (status 4)
};

// Writes the compiled files of `c` when the compile got as far as them
// (Compilazione::Stato::pronto), each at percorso(kind), all replaced
// together (none of them unless all are written), the way `modo` says. Status 0 or 1 as
// compilation_status says, 4 when a file could not be written. Without
// files: 3 after a reserved-slot clash (1250, 1251), 1 when the compile
// ended before the cells existed; no file is written or touched.
CompilationWrite write_compilation(const Compilation& c, const FaultLog& log,
                                   const std::function<std::string(CompiledKind)>& percorso,
                                   WriteMode modo = {});

}  // namespace sc
