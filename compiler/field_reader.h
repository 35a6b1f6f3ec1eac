// Reads a description file as a stream of comma-separated fields.
//
// A field ends at a comma or at the end of its line (CR LF, LF alone or CR
// alone); the separator is consumed with it. Blanks before a field are
// skipped. A number also ends at a blank. The reader never prints: a read
// failure is thrown as ReadFailure carrying the position of the field.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "compiler/fault.h"

namespace sc {

// A failure of the compile that the parsers' catch-all handler turns into
// fault 25: a read failure, or an index the rules did not foresee.
class ParseFailure : public std::runtime_error {
 public:
  ParseFailure(const std::string& what, SourceLocation where)
      : std::runtime_error(what), where_(std::move(where)) {}
  const SourceLocation& where() const { return where_; }

 private:
  SourceLocation where_;
};

class FieldReader {
 public:
  // `content` is the whole file, one byte per character; `file` names it in
  // diagnostics. A UTF-8 byte-order mark at the start is skipped.
  FieldReader(std::string content, std::string file);

  // Reads the whole file at `path`; throws ParseFailure when it cannot.
  static FieldReader open(const std::string& path, const std::string& display_name);

  // True once every character has been read, the last line end included.
  bool eof() const { return pos_ >= data_.size(); }

  // The next field as text, trailing blanks dropped.
  std::string text();

  // The next field as a whole number of the given width; a value that does
  // not fit, text that is not a whole number, or nothing left to read is a
  // read failure.
  uint8_t u8();
  int16_t i16();
  int32_t i32();

  // Where the field read last stands. On a line longer than
  // `riga_mostrata_massima` characters, `text` is an excerpt around the field
  // marked by "..." at the cut ends, and `column` and `width` count in it.
  const SourceLocation& last() const { return last_; }
  static constexpr size_t riga_mostrata_massima = 240;

  const std::string& file() const { return file_; }

  [[noreturn]] void fail(const std::string& what) const;

 private:
  int64_t number(int64_t lo, int64_t hi, const char* expected);
  void skip_blanks();
  bool at_line_end() const;
  void consume_line_end();
  void mark(size_t start, size_t end);
  SourceLocation here() const;
  SourceLocation locate(int line, size_t start, size_t end) const;

  std::string data_;
  std::string file_;
  size_t pos_ = 0;
  int line_ = 1;
  std::vector<size_t> line_starts_;
  std::vector<size_t> line_ends_;  // where each line's text ends (its line end or the end of the data)
  SourceLocation last_;
};

}  // namespace sc
