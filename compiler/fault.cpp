#include "compiler/fault.h"

#include <algorithm>

namespace sc {

std::string codice_diagnostica(const Fault& f) {
  const char prefisso = f.gravita == Gravita::errore ? 'E' : f.gravita == Gravita::avviso ? 'W' : 'N';
  return prefisso + std::to_string(f.codice);
}

std::vector<const Fault*> FaultLog::in_ordine() const {
  std::vector<const Fault*> v;
  v.reserve(faults_.size() + altre_.size());
  for (const Fault& f : faults_) v.push_back(&f);
  for (const Fault& f : altre_) v.push_back(&f);
  std::sort(v.begin(), v.end(), [](const Fault* a, const Fault* b) { return a->ordine < b->ordine; });
  return v;
}

size_t FaultLog::numero_altre(Gravita g) const {
  return static_cast<size_t>(
      std::count_if(altre_.begin(), altre_.end(), [g](const Fault& f) { return f.gravita == g; }));
}

size_t FaultLog::numero(Gravita g) const {
  return numero_altre(g) + (g == Gravita::errore ? faults_.size() : 0);
}

}  // namespace sc
