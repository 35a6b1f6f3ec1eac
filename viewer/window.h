// The viewer's window: plan view and profile of the scenario, linked to
// one window of metres along the line; a position box, the cell picked by
// a click with the entries that put it there, the faults and warnings of
// the compile, and a reload whenever the sources change on disk.
#pragma once

#include <memory>

#include "viewer/view_data.h"

namespace sc::view {

struct WindowOptions {
  // Commands on standard input and events on standard output, for tests
  // and scripts: "goto KM", "window FROM_KM TO_KM", "select CELL",
  // "compile", "quit".
  bool check = false;
};

// Opens the window on the display FLTK has opened and runs until it is
// closed (or "quit"). Returns the exit status.
int run_window(const Source& source, const WindowOptions& options);

}  // namespace sc::view
