// The track plan file (NAME_linea.dat): column 0 of every row, then column
// 1; each value a 2-byte tag followed by its bytes, little-endian, no
// header. The compile writes it with its own writer (compiler/mark_and_encode.h),
// which computes the rows while it writes; it follows these tags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/percorso.h"

namespace sc {

constexpr uint16_t empty_tag = 0;    // no value bytes
constexpr uint16_t integer_tag = 2;  // an i16
constexpr uint16_t real_tag = 5;     // a double

// The value bytes after `tag`, or nothing for an unknown tag.
constexpr std::ptrdiff_t bytes_after_tag(uint16_t tag) {
  return tag == empty_tag ? 0 : tag == integer_tag ? 2 : tag == real_tag ? 8 : -1;
}

// The file of a plan held in memory, every entry as its tag says; an
// integer entry outside the 16-bit range (which no plan holds) is written
// as 0. No rows: no bytes.
std::string serializza_tracciato(const Tracciato& t);

// The rows of the longest line's plan, and the bytes of such a plan of
// reals (a 2-byte tag and 8 bytes each).
constexpr size_t max_plan_rows = static_cast<size_t>(max_length + coda_linea) + 1;
constexpr size_t max_plan_bytes = 2 * max_plan_rows * 10;

// Two columns of equal length, at most max_plan_rows rows; an
// empty file gives a plan without rows. DecodeError otherwise.
Tracciato decode_plan(std::string_view dati);

// Reads up to `n` bytes of a file at `offset` into `out` and returns how
// many it read: fewer than `n` only at the end of the file. It throws what
// the file's own reading throws.
using ReadAt = std::function<size_t(size_t offset, char* out, size_t n)>;

// Reads bytes held in memory as a file is read (they must outlive the
// reader).
ReadAt bytes_reader(std::string_view bytes);

// A track plan file read piece by piece, never held whole: the readers of
// the largest plans (20 MB) keep a few pieces in memory instead of the file
// and its decoded rows.
class PlanFile {
 public:
  // Reads the file of `size` bytes once, checking every value as
  // decode_plan does (the same DecodeError for the same file), and finds
  // where column 1 begins. `piece` is the size of each read.
  PlanFile(ReadAt read, size_t size, size_t piece = 64 * 1024);

  int32_t rows() const { return rows_; }
  size_t size() const { return size_; }

  // Calls `f(row, x, y)` for every row in order, reading the file again.
  // std::runtime_error when the file no longer holds what was checked.
  void each_row(const std::function<void(size_t, const Numero&, const Numero&)>& f) const;

 private:
  ReadAt read_;
  size_t size_ = 0;
  size_t piece_ = 0;
  int32_t rows_ = 0;
  size_t column_1_ = 0;  // the offset of row 0 of column 1
};

}  // namespace sc
