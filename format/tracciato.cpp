#include "format/tracciato.h"

#include <climits>
#include <string>

#include "format/byte_le.h"
#include "format/compiled_decode.h"

namespace sc {
namespace {

using byte_le::Lettore;

}  // namespace

Tracciato decodifica_tracciato(std::string_view dati) {
  std::vector<Numero> valori;
  valori.reserve(dati.size() / 6 + 1);
  Lettore l(dati);
  while (l.restanti() > 0) {
    const size_t inizio = l.posizione();
    const std::string dove = "track plan: element " + std::to_string(valori.size()) +
                             " at offset " + std::to_string(inizio) + ": ";
    if (l.restanti() < 2) {
      throw DecodeError(inizio, dove + "the file ends inside the 2-byte type tag " +
                                    dimensione_file(dati.size()));
    }
    const uint16_t tag = l.u16();
    if (byte_dopo_tag(tag) < 0) {
      throw DecodeError(inizio, dove + "type tag " + std::to_string(tag) + " is not 0, 2 or 5");
    }
    const size_t serve = static_cast<size_t>(byte_dopo_tag(tag));
    if (l.restanti() < serve) {
      throw DecodeError(inizio, dove + "tag " + std::to_string(tag) + " needs " +
                                    std::to_string(serve) + " value bytes, only " +
                                    std::to_string(l.restanti()) + " left " +
                                    dimensione_file(dati.size()));
    }
    if (tag == tag_intero) {
      valori.push_back(Numero::intero(l.i16()));
    } else if (tag == tag_reale) {
      valori.push_back(Numero::reale(l.f64()));
    } else {
      valori.push_back(Numero{});
    }
  }
  if (valori.empty()) return Tracciato();
  if (valori.size() % 2 != 0) {
    throw DecodeError(dati.size(), "track plan: " + std::to_string(valori.size()) +
                                       " elements do not split into two columns of equal length " +
                                       dimensione_file(dati.size()));
  }
  const size_t righe = valori.size() / 2;
  if (righe > static_cast<size_t>(INT32_MAX)) {
    throw DecodeError(0, "track plan: " + std::to_string(righe) + " rows are more than a plan can hold");
  }
  Tracciato t(static_cast<int32_t>(righe - 1));
  std::copy(valori.begin(), valori.begin() + static_cast<std::ptrdiff_t>(righe),
            t.colonna(0).begin());
  std::copy(valori.begin() + static_cast<std::ptrdiff_t>(righe), valori.end(),
            t.colonna(1).begin());
  return t;
}

}  // namespace sc
