#include "compiler/output_files.h"

#include <bit>
#include <cstddef>

#include "compiler/codici_gara.h"
#include "format/byte_le.h"
#include "format/tracciato.h"

namespace sc {
namespace {

using byte_le::Scrittore;

// On a little-endian machine a double entry of the plan is held in memory
// exactly as the file holds it: the 2-byte tag 5, then the 8-byte double.
constexpr bool copia_diretta = std::endian::native == std::endian::little && sizeof(Numero) == 10 &&
                               offsetof(Numero, valore) == 2 && sizeof(Numero::Tag) == 2 &&
                               static_cast<uint16_t>(Numero::Tag::reale) == tag_reale;

size_t byte_numero(const Numero& n) {
  switch (n.tag) {
    case Numero::Tag::intero: return 4;
    case Numero::Tag::reale: return 10;
    default: return 2;
  }
}

// An integer element holds a 16-bit value exactly; anything else (which no
// operation stores) is written as 0 rather than converted out of range.
int16_t intero_di(const Numero& n) {
  const double v = n.valore;
  return v >= -32768.0 && v <= 32767.0 ? static_cast<int16_t>(v) : 0;
}

void scrivi_numero(Scrittore& w, const Numero& n) {
  switch (n.tag) {
    case Numero::Tag::intero:
      w.u16(tag_intero);
      w.i16(intero_di(n));
      break;
    case Numero::Tag::reale:
      w.u16(tag_reale);
      w.f64(n.valore);
      break;
    default:
      w.u16(tag_vuoto);
      break;
  }
}

}  // namespace

Compilazione::Stato marca_e_codifica(Percorso& p) {
  Elemento& identita = p.elementi[record_sfondo_identita];
  Cella& c1 = p.celle.at(1);

  if (identita.dato_7 != 0 || c1.valore_1 != 0) return Compilazione::Stato::errore_1250;
  identita.dato_7 = marca_elementi;
  c1.valore_1 = marca_celle;

  if (identita.orario != 0 || c1.valore_2 != 0) return Compilazione::Stato::errore_1251;
  identita.orario = codice_gara_st(p);
  c1.valore_2 = codice_gara_og(p);
  return Compilazione::Stato::pronto;
}

ContenutoFile pezzi_tracciato(const Tracciato& t) {
  ContenutoFile out;
  if (!t.presente()) return out;
  for (int c = 0; c < 2; ++c) {
    const std::vector<Numero>& col = t.colonna(c);
    const Numero* v = col.data();
    const size_t n = col.size();
    size_t i = 0;
    while (i < n) {
      if (copia_diretta && v[i].tag == Numero::Tag::reale) {
        // A run of doubles: their memory is their bytes in the file.
        size_t j = i + 1;
        while (j < n && v[j].tag == Numero::Tag::reale) ++j;
        out.aggiungi_riferimento(reinterpret_cast<const char*>(v + i), (j - i) * sizeof(Numero));
        i = j;
        continue;
      }
      char buf[10];
      Scrittore w(buf);
      scrivi_numero(w, v[i]);
      out.aggiungi_copia(buf, byte_numero(v[i]));
      ++i;
    }
  }
  return out;
}

std::string serializza_tracciato(const Tracciato& t) { return pezzi_tracciato(t).unito(); }

}  // namespace sc
