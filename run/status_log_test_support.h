// A status window for the run's tests.
#pragma once

#include <string>
#include <vector>

#include "run/status_window.h"

namespace sc::test {

// A status window that keeps every status and every message it is shown.
struct Log : StatusWindow {
  std::vector<std::string> statuses, messages;
  void show(const std::string& e) override { statuses.push_back(e); }
  void message(const std::string& t) override { messages.push_back(t); }
};

}  // namespace sc::test
