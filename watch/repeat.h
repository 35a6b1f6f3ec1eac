// A command run again on every save of its input files, until Ctrl-C.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace sc {

struct WatchLoop {
  std::vector<std::string> files;  // the files whose saves start a new run
  // One run: does its work, prints its own output, returns its status.
  std::function<int()> step;
  // What a run's status means, for the line that closes each run.
  std::function<std::string(int)> outcome;
};

// Runs `r.step` now and after every save of one of `r.files`, each run
// closed by "[HH:MM:SS] RESULT" on `out`. Never stops on a fault: only
// SIGINT or SIGTERM end it, with status 0. A watch that cannot be set up
// is reported on `err` with status 2.
int repeat_on_every_save(const WatchLoop& r, std::ostream& out, std::ostream& err);

}  // namespace sc
