#include "writers/content.h"

namespace sc {

std::string encode_rows(const std::vector<std::string>& table) {
  std::string out;
  for (const std::string& riga : table) {
    if (riga == marcatore_fine) break;
    out += riga;
    out += "\r\n";
  }
  return out;
}

}  // namespace sc
