#include "compiler/output_files.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>

#include "compiler/codici_gara.h"
#include "compiler/tracciato_piano.h"
#include "format/tracciato.h"

namespace sc {
namespace {

// Plan entries: a 2-byte tag, then the value.
constexpr size_t byte_vuoto = 2 + byte_dopo_tag(tag_vuoto);
constexpr size_t byte_intero = 2 + byte_dopo_tag(tag_intero);
constexpr size_t byte_reale = 2 + byte_dopo_tag(tag_reale);

void metti_u16(char* p, uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}

void metti_f64(char* p, double v) {
  const uint64_t b = std::bit_cast<uint64_t>(v);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &b, 8);
  } else {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<char>((b >> (8 * i)) & 0xFF);
  }
}

// Writes the two columns of the plan side by side: row i of column 0 and
// row i of column 1 take the same number of bytes, so the two columns fill
// two halves of one buffer at the same pace, and each full half goes to its
// own place in the file (column 1 starts after the whole of column 0).
class ScrittoreColonne {
 public:
  ScrittoreColonne(const ContenutoFile::Destinazione& d, uint64_t byte_colonna, size_t byte_blocco)
      : d_(d),
        blocco_(byte_blocco < byte_reale ? byte_reale : byte_blocco),
        buffer_(new char[2 * blocco_]),
        oy_(byte_colonna) {}

  void intero(int16_t x, int16_t y) {
    char* px = posto(byte_intero);
    char* py = px + blocco_;
    metti_u16(px, tag_intero);
    metti_u16(px + 2, static_cast<uint16_t>(x));
    metti_u16(py, tag_intero);
    metti_u16(py + 2, static_cast<uint16_t>(y));
  }

  void reale(double x, double y) {
    char* px = posto(byte_reale);
    char* py = px + blocco_;
    metti_u16(px, tag_reale);
    metti_f64(px + 2, x);
    metti_u16(py, tag_reale);
    metti_f64(py + 2, y);
  }

  // `n` rows of reals, x[i] in column 0 and y[i] in column 1: as many as
  // the buffer holds at a time, stored without a test per row.
  void reali(const double* x, const double* y, size_t n) {
    while (n > 0) {
      if (n_ + byte_reale > blocco_) svuota();
      const size_t qui = std::min(n, (blocco_ - n_) / byte_reale);
      char* px = buffer_.get() + n_;
      for (size_t i = 0; i < qui; ++i, px += byte_reale) {
        metti_u16(px, tag_reale);
        metti_f64(px + 2, x[i]);
        metti_u16(px + blocco_, tag_reale);
        metti_f64(px + blocco_ + 2, y[i]);
      }
      n_ += qui * byte_reale;
      x += qui;
      y += qui;
      n -= qui;
    }
  }

  void vuote(uint64_t righe) {
    while (righe > 0) {
      if (n_ + byte_vuoto > blocco_) svuota();
      const uint64_t qui = std::min<uint64_t>(righe, (blocco_ - n_) / byte_vuoto);
      const size_t byte = static_cast<size_t>(qui) * byte_vuoto;
      std::memset(buffer_.get() + n_, tag_vuoto, byte);
      std::memset(buffer_.get() + blocco_ + n_, tag_vuoto, byte);
      n_ += byte;
      righe -= qui;
    }
  }

  // Writes what the buffer still holds; false when a piece was refused.
  bool fine() {
    svuota();
    return ok_;
  }

 private:
  char* posto(size_t byte) {
    if (n_ + byte > blocco_) svuota();
    char* p = buffer_.get() + n_;
    n_ += byte;
    return p;
  }

  void svuota() {
    if (n_ == 0) return;
    ok_ = ok_ && d_(ox_, std::string_view(buffer_.get(), n_)) &&
          d_(oy_, std::string_view(buffer_.get() + blocco_, n_));
    ox_ += n_;
    oy_ += n_;
    n_ = 0;
  }

  const ContenutoFile::Destinazione& d_;
  const size_t blocco_;
  std::unique_ptr<char[]> buffer_;  // column 0 in the first half, column 1 in the second
  size_t n_ = 0;                    // bytes of each half in use
  uint64_t ox_ = 0, oy_;
  bool ok_ = true;
};

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

uint64_t byte_colonna_tracciato(const PassiTracciato& t) {
  if (!t.presente()) return 0;
  const uint64_t righe = static_cast<uint64_t>(t.righe());
  const uint64_t semi = t.seminato ? 2 : 0;
  const uint64_t calcolate = t.seminato ? static_cast<uint64_t>(t.cursore()) - 2 : 0;
  return semi * byte_intero + calcolate * byte_reale + (righe - semi - calcolate) * byte_vuoto;
}

ContenutoFile contenuto_tracciato(const PassiTracciato& t, size_t byte_blocco) {
  const uint64_t colonna = byte_colonna_tracciato(t);
  if (colonna == 0) return ContenutoFile();
  return ContenutoFile(2 * colonna,
                       [t, colonna, byte_blocco](const ContenutoFile::Destinazione& d) {
                         ScrittoreColonne w(d, colonna, byte_blocco);
                         uint64_t scritte = 0;
                         if (t.seminato) {
                           for (int i = 0; i < 2; ++i) w.intero(seme_x[i], seme_y[i]);
                           // Computed in batches, then encoded: see RigheCalcolate.
                           constexpr size_t lotto = 1024;
                           double x[lotto], y[lotto];
                           RigheCalcolate righe(t);
                           while (const size_t n = righe.prossime(x, y, lotto)) w.reali(x, y, n);
                           scritte = static_cast<uint64_t>(t.cursore());
                         }
                         w.vuote(static_cast<uint64_t>(t.righe()) - scritte);
                         return w.fine();
                       });
}

}  // namespace sc
