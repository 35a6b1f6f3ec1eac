#include "format/tracciato.h"

#include <climits>
#include <string>

#include "format/byte_le.h"
#include "format/compiled_decode.h"

namespace sc {
namespace {

using byte_le::Lettore;

// One value of a track plan at the reader's position: its tag checked and
// its bytes present. The reader is left after it.
Numero valore_tracciato(Lettore& l, size_t elemento, size_t totale) {
  const size_t inizio = l.posizione();
  const auto dove = [&] {
    return "track plan: element " + std::to_string(elemento) + " at offset " + std::to_string(inizio) + ": ";
  };
  if (l.restanti() < 2) {
    throw DecodeError(inizio, dove() + "the file ends inside the 2-byte type tag " + dimensione_file(totale));
  }
  const uint16_t tag = l.u16();
  if (byte_dopo_tag(tag) < 0) {
    throw DecodeError(inizio, dove() + "type tag " + std::to_string(tag) + " is not 0, 2 or 5");
  }
  const size_t serve = static_cast<size_t>(byte_dopo_tag(tag));
  if (l.restanti() < serve) {
    throw DecodeError(inizio, dove() + "tag " + std::to_string(tag) + " needs " + std::to_string(serve) +
                                  " value bytes, only " + std::to_string(l.restanti()) + " left " +
                                  dimensione_file(totale));
  }
  if (tag == tag_intero) return Numero::intero(l.i16());
  if (tag == tag_reale) return Numero::reale(l.f64());
  return Numero{};
}

}  // namespace

Tracciato decodifica_tracciato(std::string_view dati) {
  // First the values are counted and checked, then the plan of that many
  // rows is filled: no more memory than the plan itself.
  size_t valori = 0;
  for (Lettore l(dati); l.restanti() > 0; ++valori) {
    if (valori == 2 * righe_tracciato_massime) {
      throw DecodeError(l.posizione(), "track plan: more than " + std::to_string(2 * righe_tracciato_massime) +
                                           " elements, the two columns of the longest line; element " +
                                           std::to_string(valori) + " begins at offset " +
                                           std::to_string(l.posizione()) + " " + dimensione_file(dati.size()));
    }
    valore_tracciato(l, valori, dati.size());
  }
  if (valori == 0) return Tracciato();
  if (valori % 2 != 0) {
    throw DecodeError(dati.size(), "track plan: " + std::to_string(valori) +
                                       " elements do not split into two columns of equal length " +
                                       dimensione_file(dati.size()));
  }
  const size_t righe = valori / 2;
  if (righe > static_cast<size_t>(INT32_MAX)) {
    throw DecodeError(
        0, "track plan: " + std::to_string(righe) + " rows are more than a plan can hold");
  }
  Tracciato t(static_cast<int32_t>(righe - 1));
  Lettore l(dati);
  for (size_t i = 0; i < valori; ++i) {
    t.colonna(i < righe ? 0 : 1)[i < righe ? i : i - righe] = valore_tracciato(l, i, dati.size());
  }
  return t;
}

}  // namespace sc
