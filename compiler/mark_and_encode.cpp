#include "compiler/mark_and_encode.h"

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
constexpr size_t empty_bytes = 2 + bytes_after_tag(empty_tag);
constexpr size_t integer_bytes = 2 + bytes_after_tag(integer_tag);
constexpr size_t real_bytes = 2 + bytes_after_tag(real_tag);

void put_u16(char* p, uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}

void put_f64(char* p, double v) {
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
class ColumnWriter {
 public:
  ColumnWriter(const FileContent::Sink& d, uint64_t column_bytes, size_t block_bytes)
      : d_(d),
        block_(block_bytes < real_bytes ? real_bytes : block_bytes),
        buffer_(new char[2 * block_]),
        oy_(column_bytes) {}

  void integer(int16_t x, int16_t y) {
    char* px = slot(integer_bytes);
    char* py = px + block_;
    put_u16(px, integer_tag);
    put_u16(px + 2, static_cast<uint16_t>(x));
    put_u16(py, integer_tag);
    put_u16(py + 2, static_cast<uint16_t>(y));
  }

  void real(double x, double y) {
    char* px = slot(real_bytes);
    char* py = px + block_;
    put_u16(px, real_tag);
    put_f64(px + 2, x);
    put_u16(py, real_tag);
    put_f64(py + 2, y);
  }

  // `n` rows of reals, x[i] in column 0 and y[i] in column 1: as many as
  // the buffer holds at a time, stored without a test per row.
  void real(const double* x, const double* y, size_t n) {
    while (n > 0) {
      if (n_ + real_bytes > block_) clear();
      const size_t here = std::min(n, (block_ - n_) / real_bytes);
      char* px = buffer_.get() + n_;
      for (size_t i = 0; i < here; ++i, px += real_bytes) {
        put_u16(px, real_tag);
        put_f64(px + 2, x[i]);
        put_u16(px + block_, real_tag);
        put_f64(px + block_ + 2, y[i]);
      }
      n_ += here * real_bytes;
      x += here;
      y += here;
      n -= here;
    }
  }

  void empty(uint64_t rows) {
    while (rows > 0) {
      if (n_ + empty_bytes > block_) clear();
      const uint64_t here = std::min<uint64_t>(rows, (block_ - n_) / empty_bytes);
      const size_t byte = static_cast<size_t>(here) * empty_bytes;
      std::memset(buffer_.get() + n_, empty_tag, byte);
      std::memset(buffer_.get() + block_ + n_, empty_tag, byte);
      n_ += byte;
      rows -= here;
    }
  }

  // Writes what the buffer still holds; false when a piece was refused.
  bool fine() {
    clear();
    return ok_;
  }

 private:
  char* slot(size_t byte) {
    if (n_ + byte > block_) clear();
    char* p = buffer_.get() + n_;
    n_ += byte;
    return p;
  }

  void clear() {
    if (n_ == 0) return;
    ok_ = ok_ && d_(ox_, std::string_view(buffer_.get(), n_)) &&
          d_(oy_, std::string_view(buffer_.get() + block_, n_));
    ox_ += n_;
    oy_ += n_;
    n_ = 0;
  }

  const FileContent::Sink& d_;
  const size_t block_;
  std::unique_ptr<char[]> buffer_;  // column 0 in the first half, column 1 in the second
  size_t n_ = 0;                    // bytes of each half in use
  uint64_t ox_ = 0, oy_;
  bool ok_ = true;
};

}  // namespace

Compilation::Result mark_and_encode(Percorso& p) {
  Elemento& identita = p.elementi[record_sfondo_identita];
  Cella& c1 = p.celle.at(1);

  if (identita.dato_7 != 0 || c1.valore_1 != 0) return Compilation::Result::errore_1250;
  identita.dato_7 = marca_elementi;
  c1.valore_1 = marca_celle;

  if (identita.orario != 0 || c1.valore_2 != 0) return Compilation::Result::errore_1251;
  identita.orario = codice_gara_st(p);
  c1.valore_2 = codice_gara_og(p);
  return Compilation::Result::pronto;
}

uint64_t plan_column_bytes(const PlanSteps& t) {
  if (!t.present()) return 0;
  const uint64_t rows = static_cast<uint64_t>(t.rows());
  const uint64_t semi = t.seeded ? 2 : 0;
  const uint64_t computed = t.seeded ? static_cast<uint64_t>(t.cursor()) - 2 : 0;
  return semi * integer_bytes + computed * real_bytes + (rows - semi - computed) * empty_bytes;
}

FileContent plan_content(const PlanSteps& t, size_t block_bytes) {
  const uint64_t column = plan_column_bytes(t);
  if (column == 0) return FileContent();
  return FileContent(2 * column, [t, column, block_bytes](const FileContent::Sink& d) {
    ColumnWriter w(d, column, block_bytes);
    uint64_t written = 0;
    if (t.seeded) {
      for (int i = 0; i < 2; ++i) w.integer(seed_x[i], seed_y[i]);
      // Computed in batches, then encoded: see ComputedRows.
      constexpr size_t lotto = 1024;
      double x[lotto], y[lotto];
      ComputedRows rows(t);
      while (const size_t n = rows.next(x, y, lotto)) w.real(x, y, n);
      written = static_cast<uint64_t>(t.cursor());
    }
    w.empty(static_cast<uint64_t>(t.rows()) - written);
    return w.fine();
  });
}

}  // namespace sc
