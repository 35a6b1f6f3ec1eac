// The error report: one modal message with an error number, after which the
// program ends.
#pragma once

#include <string>

#include "output/diagnostics.h"
#include "output/exit_statuses.h"
#include "run/status_window.h"

namespace sc {

// Shows error_text(a) in `ui`'s message box and waits until it is closed.
// Returns the exit status (3); the caller ends the program with it and runs
// nothing else.
[[nodiscard]] int errore(const std::string& a, StatusWindow& ui);

}  // namespace sc
