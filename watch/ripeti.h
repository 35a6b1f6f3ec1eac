// A command run again on every save of its input files, until Ctrl-C.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace sc {

struct Ripetizione {
  std::vector<std::string> files;  // the files whose saves start a new run
  // One run: does its work, prints its own output, returns its status.
  std::function<int()> passo;
  // What a run's status means, for the line that closes each run.
  std::function<std::string(int)> esito;
};

// Runs `r.passo` now and after every save of one of `r.files`, each run
// closed by "[HH:MM:SS] RESULT" on `out`. Never stops on a fault: only
// SIGINT or SIGTERM end it, with status 0. A watch that cannot be set up
// is reported on `err` with status 2.
int ripeti_a_ogni_modifica(const Ripetizione& r, std::ostream& out, std::ostream& err);

}  // namespace sc
