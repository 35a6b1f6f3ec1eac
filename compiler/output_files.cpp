#include "compiler/output_files.h"

#include <bit>
#include <cstddef>
#include <cstring>

#include "compiler/codici_gara.h"

namespace sc {
namespace {

// Writes little-endian values into a buffer sized beforehand, from `p` on.
class Scrittore {
 public:
  explicit Scrittore(char* p) : p_(p) {}

  void u8(uint8_t v) { *p_++ = static_cast<char>(v); }
  void u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
  }
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
  }
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  void f64(double v) {
    const uint64_t b = std::bit_cast<uint64_t>(v);
    u32(static_cast<uint32_t>(b));
    u32(static_cast<uint32_t>(b >> 32));
  }
  void testo(const char* s, size_t n) {
    if (n == 0) return;
    std::memcpy(p_, s, n);
    p_ += n;
  }

 private:
  char* p_;
};

// On a little-endian machine a double entry of the plan is held in memory
// exactly as the file holds it: the 2-byte tag 5, then the 8-byte double.
constexpr bool copia_diretta = std::endian::native == std::endian::little && sizeof(Numero) == 10 &&
                               offsetof(Numero, valore) == 2 && sizeof(Numero::Tag) == 2 &&
                               static_cast<uint16_t>(Numero::Tag::reale) == 5;

size_t lunghezza_nome(const Elemento& e) {
  return e.nome.size() < lunghezza_nome_massima ? e.nome.size() : lunghezza_nome_massima;
}

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
      w.u16(2);
      w.i16(intero_di(n));
      break;
    case Numero::Tag::reale:
      w.u16(5);
      w.f64(n.valore);
      break;
    default:
      w.u16(0);
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

std::string serializza_elementi(const std::array<Elemento, numero_elementi>& elementi) {
  size_t totale = 0;
  for (const Elemento& e : elementi) totale += byte_elemento_fissi + lunghezza_nome(e);
  std::string out(totale, '\0');
  Scrittore w(out.data());
  for (const Elemento& e : elementi) {
    const size_t n = lunghezza_nome(e);
    w.u8(e.tipo);
    w.i32(e.inizio);
    w.i32(e.fine);
    w.i32(e.progressiva);
    w.u8(e.dato_4);
    w.u16(static_cast<uint16_t>(n));
    w.testo(e.nome.data(), n);
    w.i16(e.dato_7);
    w.i16(e.dato_8);
    w.i16(e.dato_10);
    w.i16(e.dato_11);
    w.i16(e.dato_12);
    w.u8(e.dato_9);
    w.u8(e.dato_13);
    w.u8(e.dato_6);
    w.u8(e.dato_5);
    w.i32(e.orario);
  }
  return out;
}

std::string serializza_celle(const std::vector<Cella>& celle) {
  std::string out(celle.size() * byte_cella, '\0');
  Scrittore w(out.data());
  for (const Cella& c : celle) {
    w.u8(c.tipo);
    w.i16(c.valore_1);
    w.i16(c.valore_2);
    w.i16(c.valore_3);
    w.i16(c.valore_4);
    w.u8(c.tempo);
    w.u8(c.avviso);
    w.u8(c.galleria);
    w.u8(c.velocita);
    w.u8(c.pendenza);
    w.u8(c.aderenza);
  }
  return out;
}

}  // namespace sc
