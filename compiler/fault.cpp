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

size_t FaultLog::numero(Severity g) const {
  return count_others(g) + (g == Severity::errore ? faults_.size() : 0);
}

}  // namespace sc
