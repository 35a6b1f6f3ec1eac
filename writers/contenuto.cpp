#include "writers/contenuto.h"

namespace sc {

std::string codifica_righe(const std::vector<std::string>& tabella) {
  std::string out;
  for (const std::string& riga : tabella) {
    if (riga == marcatore_fine) break;
    out += riga;
    out += "\r\n";
  }
  return out;
}

}  // namespace sc
