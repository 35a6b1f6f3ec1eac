#include "format/tracciato.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>
#include <utility>

#include "format/byte_le.h"
#include "format/compiled_decode.h"

namespace sc {
namespace {

using byte_le::ByteReader;
using byte_le::ByteWriter;

int16_t integer_of(const Numero& n) {
  const double v = n.valore;
  return v >= -32768.0 && v <= 32767.0 ? static_cast<int16_t>(v) : 0;
}

// One value of a track plan at the reader's position: its tag checked and
// its bytes present. The reader is left after it. The reader holds the
// file from offset `base` on, and at least the value's bytes or the rest of
// the file.
Numero valore_tracciato(ByteReader& l, size_t elemento, size_t totale, size_t base = 0) {
  const size_t inizio = base + l.posizione();
  const auto dove = [&] {
    return "track plan: element " + std::to_string(elemento) + " at offset " +
           std::to_string(inizio) + ": ";
  };
  if (l.remaining() < 2) {
    throw DecodeError(inizio,
                      dove() + "the file ends inside the 2-byte type tag " + file_size(totale));
  }
  const uint16_t tag = l.u16();
  if (bytes_after_tag(tag) < 0) {
    throw DecodeError(inizio, dove() + "type tag " + std::to_string(tag) + " is not 0, 2 or 5");
  }
  const size_t serve = static_cast<size_t>(bytes_after_tag(tag));
  if (l.remaining() < serve) {
    throw DecodeError(inizio, dove() + "tag " + std::to_string(tag) + " needs " +
                                  std::to_string(serve) + " value bytes, only " +
                                  std::to_string(l.remaining()) + " left " + file_size(totale));
  }
  if (tag == integer_tag) return Numero::integer(l.i16());
  if (tag == real_tag) return Numero::real(l.f64());
  return Numero{};
}

// The values of a plan file one after the other from an offset, read
// through a buffer of one piece.
class ValueCursor {
 public:
  ValueCursor(const ReadAt& read, size_t size, size_t piece, size_t from)
      : read_(read), size_(size), buffer_(piece < 16 ? 16 : piece, '\0'), position_(from) {}

  size_t position() const { return position_; }

  Numero next(size_t elemento) {
    const size_t wanted = std::min<size_t>(10, size_ - std::min(position_, size_));
    if (position_ + wanted > start_ + filled_ || position_ < start_) fill();
    ByteReader l(
        std::string_view(buffer_.data() + (position_ - start_), start_ + filled_ - position_));
    const Numero n = valore_tracciato(l, elemento, size_, position_);
    position_ += l.posizione();
    return n;
  }

 private:
  // The buffer from the current position on; less than a piece only at
  // the end of the file (or where the file ends sooner than measured).
  void fill() {
    start_ = position_;
    filled_ = 0;
    const size_t want = std::min(buffer_.size(), size_ - std::min(start_, size_));
    while (filled_ < want) {
      const size_t got = read_(start_ + filled_, buffer_.data() + filled_, want - filled_);
      if (got == 0) break;
      filled_ += got;
    }
  }

  const ReadAt& read_;
  size_t size_;
  std::string buffer_;
  size_t start_ = 0;   // the offset of buffer_[0]
  size_t filled_ = 0;  // the bytes of the buffer read
  size_t position_;
};

}  // namespace

ReadAt bytes_reader(std::string_view bytes) {
  return [bytes](size_t offset, char* out, size_t n) -> size_t {
    if (offset >= bytes.size()) return 0;
    const size_t k = std::min(n, bytes.size() - offset);
    std::copy_n(bytes.data() + offset, k, out);
    return k;
  };
}

PlanFile::PlanFile(ReadAt read, size_t size, size_t piece)
    : read_(std::move(read)), size_(size), piece_(piece) {
  // Every value checked and counted as decode_plan does, with where every
  // 2^16-th value begins, to find column 1 without a third reading.
  constexpr size_t every = size_t{1} << 16;
  std::vector<size_t> marks;
  size_t values = 0;
  for (ValueCursor c(read_, size_, piece_, 0); c.position() < size_; ++values) {
    if (values == 2 * max_plan_rows) {
      throw DecodeError(c.position(),
                        "track plan: more than " + std::to_string(2 * max_plan_rows) +
                            " elements, the two columns of the longest line; element " +
                            std::to_string(values) + " begins at offset " +
                            std::to_string(c.position()) + " " + file_size(size_));
    }
    if (values % every == 0) marks.push_back(c.position());
    c.next(values);
  }
  if (values == 0) return;
  if (values % 2 != 0) {
    throw DecodeError(size_, "track plan: " + std::to_string(values) +
                                 " elements do not split into two columns of equal length " +
                                 file_size(size_));
  }
  rows_ = static_cast<int32_t>(values / 2);
  const size_t rows = values / 2;
  ValueCursor c(read_, size_, piece_, marks[rows / every]);
  for (size_t i = rows / every * every; i < rows; ++i) c.next(i);
  column_1_ = c.position();
}

void PlanFile::each_row(const std::function<void(size_t, const Numero&, const Numero&)>& f) const {
  const size_t rows = static_cast<size_t>(rows_);
  ValueCursor x(read_, size_, piece_, 0);
  ValueCursor y(read_, size_, piece_, column_1_);
  for (size_t i = 0; i < rows; ++i) {
    Numero vx, vy;
    try {
      vx = x.next(i);
      vy = y.next(rows + i);
    } catch (const DecodeError&) {
      throw std::runtime_error("track plan: the file changed while it was read");
    }
    f(i, vx, vy);
  }
}

std::string serializza_tracciato(const Tracciato& t) {
  if (!t.present()) return {};
  size_t totale = 0;
  for (int c = 0; c < 2; ++c) {
    for (const Numero& n : t.column(c)) {
      totale += n.tag == Numero::Tag::integer ? 4 : n.tag == Numero::Tag::real ? 10 : 2;
    }
  }
  std::string out(totale, '\0');
  ByteWriter w(out.data());
  for (int c = 0; c < 2; ++c) {
    for (const Numero& n : t.column(c)) {
      switch (n.tag) {
        case Numero::Tag::integer:
          w.u16(integer_tag);
          w.i16(integer_of(n));
          break;
        case Numero::Tag::real:
          w.u16(real_tag);
          w.f64(n.valore);
          break;
        default: w.u16(empty_tag); break;
      }
    }
  }
  return out;
}

Tracciato decode_plan(std::string_view dati) {
  // First the values are counted and checked, then the plan of that many
  // rows is filled: no more memory than the plan itself.
  size_t values = 0;
  for (ByteReader l(dati); l.remaining() > 0; ++values) {
    if (values == 2 * max_plan_rows) {
      throw DecodeError(l.posizione(),
                        "track plan: more than " + std::to_string(2 * max_plan_rows) +
                            " elements, the two columns of the longest line; element " +
                            std::to_string(values) + " begins at offset " +
                            std::to_string(l.posizione()) + " " + file_size(dati.size()));
    }
    valore_tracciato(l, values, dati.size());
  }
  if (values == 0) return Tracciato();
  if (values % 2 != 0) {
    throw DecodeError(dati.size(), "track plan: " + std::to_string(values) +
                                       " elements do not split into two columns of equal length " +
                                       file_size(dati.size()));
  }
  const size_t rows = values / 2;
  if (rows > static_cast<size_t>(INT32_MAX)) {
    throw DecodeError(
        0, "track plan: " + std::to_string(rows) + " rows are more than a plan can hold");
  }
  Tracciato t(static_cast<int32_t>(rows - 1));
  ByteReader l(dati);
  for (size_t i = 0; i < values; ++i) {
    t.column(i < rows ? 0 : 1)[i < rows ? i : i - rows] = valore_tracciato(l, i, dati.size());
  }
  return t;
}

}  // namespace sc
