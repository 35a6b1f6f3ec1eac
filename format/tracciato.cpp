#include "format/tracciato.h"

#include <climits>
#include <string>

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
// its bytes present. The reader is left after it.
Numero valore_tracciato(ByteReader& l, size_t elemento, size_t totale) {
  const size_t inizio = l.posizione();
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

}  // namespace

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
