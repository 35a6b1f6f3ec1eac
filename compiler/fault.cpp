#include "compiler/fault.h"

#include <algorithm>

namespace sc {

std::string diagnostic_code(const Fault& f) {
  const char prefix = f.severity == Severity::errore   ? 'E'
                      : f.severity == Severity::avviso ? 'W'
                                                       : 'N';
  return prefix + std::to_string(f.codice);
}

std::vector<const Fault*> FaultLog::in_order() const {
  std::vector<const Fault*> v;
  v.reserve(faults_.size() + others_.size());
  for (const Fault& f : faults_) v.push_back(&f);
  for (const Fault& f : others_) v.push_back(&f);
  std::sort(v.begin(), v.end(), [](const Fault* a, const Fault* b) { return a->order < b->order; });
  return v;
}

size_t FaultLog::count_others(Severity g) const {
  return static_cast<size_t>(std::count_if(others_.begin(), others_.end(),
                                           [g](const Fault& f) { return f.severity == g; }));
}

std::string warnings_summary(const FaultLog& log) {
  size_t changed = 0, skipped = 0, as_written = 0;
  for (const Fault& f : log.others()) {
    if (f.severity != Severity::avviso) continue;
    switch (warning_effect(diagnostic_code(f))) {
      case WarningEffect::changed: ++changed; break;
      case WarningEffect::skipped: ++skipped; break;
      case WarningEffect::as_written: ++as_written; break;
    }
  }
  const size_t all = changed + skipped + as_written;
  if (all == 0) return "";
  std::string s = std::to_string(all) + (all == 1 ? " warning: " : " warnings: ");
  // The first part names what is counted: "entry" or "entries".
  bool named = false;
  const auto part = [&](size_t n, const char* what) {
    if (n == 0) return;
    if (named) s += ", ";
    s += std::to_string(n) + (named ? "" : n == 1 ? " entry" : " entries") + " " + what;
    named = true;
  };
  part(changed, "changed");
  part(skipped, "skipped");
  part(as_written, "compiled as written");
  return s;
}

size_t FaultLog::numero(Severity g) const {
  return count_others(g) + (g == Severity::errore ? faults_.size() : 0);
}

}  // namespace sc
