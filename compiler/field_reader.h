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
// fault 25: a read failure, or an index the rules did not foresee. `entry`
// names the field within its entry ("field 3 of \"pendenza\": "), or is
// empty when the location does not tell.
class ParseFailure : public std::runtime_error {
 public:
  ParseFailure(const std::string& what, SourceLocation where, std::string entry = "")
      : std::runtime_error(what), where_(std::move(where)), entry_(std::move(entry)) {}
  const SourceLocation& where() const { return where_; }
  const std::string& entry() const { return entry_; }

 private:
  SourceLocation where_;
  std::string entry_;
};

// Where a field read from a description stands: its line, the offsets of
// its first and past-its-last character in the file, and its number on its
// line (1 for the first field read from it). A default Campo stands
// nowhere. The reader turns it into a SourceLocation only when a fault
// needs one.
struct Field {
  int line = 0;
  size_t start = 0;
  size_t end = 0;
  int numero = 0;
  bool point = false;  // the point where a field was expected: shown one character wide
};

class FieldReader {
 public:
  // `content` is the whole file, one byte per character; `file` names it in
  // diagnostics. A UTF-8 byte-order mark at the start is skipped.
  FieldReader(std::string content, std::string file);

  // True once every character has been read, the last line end included.
  bool eof() const { return pos_ >= data_.size(); }

  // The next field as text, trailing blanks dropped.
  std::string text();
  // The same for a text that is stored in the compiled files (a name, a
  // board text): in a UTF-8 description a character Windows-1252 cannot
  // hold is reported to the log set with report_in.
  std::string stored_text();

  // The next field as a whole number of the given width; a value that does
  // not fit, text that is not a whole number, or nothing left to read is a
  // read failure.
  uint8_t u8();
  int16_t i16();
  int32_t i32();

  // Where the field read last stands.
  const Field& field() const { return field_; }

  // The location of a field. On a line longer than `max_shown_line`
  // characters, `text` is an excerpt around the field marked by "..." at
  // the cut ends, and `column` and `width` count in it. A default Campo
  // gives a location with the file's name alone.
  SourceLocation location(const Field& c) const;
  static constexpr size_t max_shown_line = 240;

  // The location of the field read last (built when asked).
  const SourceLocation& last() const;

  // "field N of \"KEY\": " for a value of an entry whose key opens its line,
  // "" for the key itself, a line that starts with a value, or a field shown
  // in an excerpt that cuts the start of its line.
  std::string entry(const Field& c) const;

  const std::string& file() const { return file_; }

  // Whether the field read last ended its line (or the file): false when a
  // comma followed it.
  bool ends_line() const { return ends_line_; }
  // Goes on at the start of the line after `line`, or stays where it is
  // when that lies behind; a second call at the same place goes on at the
  // next line. For reading on after a faulty entry.
  void resume_after_line(int line);

  // The next field as it stands in the file, without reading it.
  std::string_view next_field() const;

  // An entry starts at its key `key`, named `nome`, taking `values`
  // values. A value that cannot be read because the entry's own line ran
  // out of values (the field tried stands on a later line) is reported at
  // the end of the entry's line: "\"segnale\" has 10 of its 11 values".
  void begin_entry(const Field& key, std::string nome, int values);

  // Texts of a description that is valid UTF-8 and holds characters beyond
  // ASCII are read as UTF-8 and returned in Windows-1252. `log`, when set,
  // receives the note that says so (once, at the first such character) and
  // an error for every character Windows-1252 cannot hold (stored as "?").
  bool utf8() const { return utf8_; }
  void report_in(FaultLog* log);

  // A read or run failure at a field, with its location and entry.
  [[noreturn]] void fail_at(const Field& c, const std::string& what) const;
  [[noreturn]] void fail(const std::string& what) const { fail_at(field_, what); }

 private:
  int64_t number(int64_t lo, int64_t hi, const char* expected);
  void skip_blanks();
  bool at_line_end() const;
  void consume_line_end();
  void mark(size_t start, size_t end);
  void mark_here();
  int count_field();
  SourceLocation locate(int line, size_t start, size_t end) const;

  [[noreturn]] void fail_read(const std::string& what);
  void count_value();
  int line_of(size_t offset) const;
  bool report_text_ = false;
  size_t last_resume_ = static_cast<size_t>(-1);
  std::string in_1252(size_t start, size_t end, bool report);

  std::string data_;
  std::string file_;
  bool ends_line_ = false;
  bool utf8_ = false;
  size_t first_non_ascii_ = 0;
  FaultLog* log_ = nullptr;
  struct EntryStart {
    int line = 0;  // 0: no entry
    size_t fine_riga = 0;
    std::string nome;
    int values = 0;
    int read = 0;  // values read from the entry's own line
  } entry_;
  size_t pos_ = 0;
  int line_ = 1;
  std::vector<size_t> line_starts_;
  std::vector<size_t>
      line_ends_;         // where each line's text ends (its line end or the end of the data)
  int counted_line_ = 0;  // the line whose fields campi_ counts
  int fields_ = 0;        // fields read so far from that line
  Field field_;
  mutable SourceLocation last_;
  mutable bool last_pronto_ = false;
};

}  // namespace sc
