// A status window for the run's tests.
#pragma once

#include <string>
#include <vector>

#include "run/status_window.h"

namespace sc::test {

// A status window that keeps every status and every message it is shown.
struct Registro : StatusWindow {
  std::vector<std::string> stati, messaggi;
  void mostra(const std::string& e) override { stati.push_back(e); }
  void messaggio(const std::string& t) override { messaggi.push_back(t); }
};

}  // namespace sc::test
