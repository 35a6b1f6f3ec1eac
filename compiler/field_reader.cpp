#include "compiler/field_reader.h"
#include "compiler/fault_codes.h"

#include "compiler/text_1252.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace sc {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }

}  // namespace

FieldReader::FieldReader(std::string content, std::string file)
    : data_(std::move(content)), file_(std::move(file)) {
  if (data_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
  line_starts_.push_back(pos_);
  for (size_t i = pos_; i < data_.size(); ++i) {
    if (!is_line_end(data_[i])) continue;
    line_ends_.push_back(i);
    if (data_[i] == '\r' && i + 1 < data_.size() && data_[i + 1] == '\n') ++i;
    if (i + 1 < data_.size()) line_starts_.push_back(i + 1);
  }
  if (line_ends_.size() < line_starts_.size()) line_ends_.push_back(data_.size());
  utf8_ = utf8_multibyte(std::string_view(data_).substr(pos_), &first_non_ascii_);
  first_non_ascii_ += pos_;
}

// The line (from 1) that holds the character at `offset`.
int FieldReader::line_of(size_t offset) const {
  const auto it = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
  return static_cast<int>(it - line_starts_.begin());
}

void FieldReader::report_in(FaultLog* log) {
  log_ = log;
  if (!log_ || !utf8_) return;
  const int riga = line_of(first_non_ascii_);
  const size_t n = read_utf8(data_, first_non_ascii_).lunghezza;
  log_->add_other(Fault{1, std::nullopt, locate(riga, first_non_ascii_, first_non_ascii_ + n),
                        "the file is read as UTF-8; its texts are stored in Windows-1252, as the "
                        "simulator shows them",
                        Severity::note});
}

std::string FieldReader::in_1252(size_t start, size_t end, bool report) {
  if (!utf8_) return data_.substr(start, end - start);
  std::string s;
  s.reserve(end - start);
  for (size_t i = start; i < end;) {
    const Utf8Char c = read_utf8(data_, i);
    const int b = byte_1252(c.codice);
    if (b >= 0) {
      s += static_cast<char>(b);
    } else {
      s += '?';
      if (report && log_) {
        char u[16];
        std::snprintf(u, sizeof u, "U+%04X", static_cast<unsigned>(c.codice));
        log_->add_other(Fault{
            fault_code::no_windows_1252_code, std::nullopt, locate(field_.line, i, i + c.lunghezza),
            std::string("the character ") + u + " (\"" + data_.substr(i, c.lunghezza) +
                "\") has no Windows-1252 code; it is stored as \"?\""});
      }
    }
    i += c.lunghezza;
  }
  return s;
}

void FieldReader::resume_after_line(int line) {
  entry_ = EntryStart{};
  counted_line_ = 0;
  if (pos_ == last_resume_) line = std::max(line, line_);
  last_resume_ = pos_;
  if (line < 1 || static_cast<size_t>(line) >= line_starts_.size()) {
    if (line >= 1) {
      pos_ = data_.size();
      line_ = static_cast<int>(line_starts_.size()) + 1;
    }
    return;
  }
  const size_t inizio = line_starts_[static_cast<size_t>(line)];
  if (inizio > pos_) {
    pos_ = inizio;
    line_ = line + 1;
  }
}

std::string_view FieldReader::next_field() const {
  size_t fine = pos_;
  while (fine < data_.size() && data_[fine] != ',' && !is_line_end(data_[fine])) ++fine;
  return std::string_view(data_).substr(pos_, fine - pos_);
}

void FieldReader::begin_entry(const Field& key, std::string nome, int values) {
  entry_ = EntryStart{};
  if (key.line <= 0 || static_cast<size_t>(key.line) > line_ends_.size()) return;
  entry_.line = key.line;
  entry_.fine_riga = line_ends_[static_cast<size_t>(key.line) - 1];
  entry_.nome = std::move(nome);
  entry_.values = values;
}

// A value that cannot be read: when it stands on a line after its entry's
// key, the entry's own line is the cause.
void FieldReader::fail_read(const std::string& what) {
  if (entry_.line > 0 && field_.line > entry_.line && entry_.read < entry_.values) {
    Field fine{entry_.line, entry_.fine_riga, entry_.fine_riga, 0, true};
    throw ParseFailure("\"" + entry_.nome + "\" has " + std::to_string(entry_.read) + " of its " +
                           std::to_string(entry_.values) + " values on its line (then, on line " +
                           std::to_string(field_.line) + ": " + what + ")",
                       location(fine));
  }
  fail(what);
}

void FieldReader::count_value() {
  if (entry_.line > 0 && field_.line == entry_.line) ++entry_.read;
}

// The location of the characters start..end of `line`. A long line is cut
// to an excerpt around the field, so that a location costs the same on a
// line of any length and a diagnostic stays readable.
SourceLocation FieldReader::locate(int line, size_t start, size_t end) const {
  const size_t inizio_riga = line_starts_[static_cast<size_t>(line) - 1];
  const size_t fine_riga = line_ends_[static_cast<size_t>(line) - 1];
  size_t a = inizio_riga;
  size_t b = fine_riga;
  std::string first, after;
  if (fine_riga - inizio_riga > max_shown_line) {
    constexpr size_t context = 80;  // characters kept before the field
    a = start - inizio_riga > context ? start - context : inizio_riga;
    b = std::min(fine_riga, a + max_shown_line);
    if (a > inizio_riga) first = "...";
    if (b < fine_riga) after = "...";
  }
  start = std::min(start, b);
  end = std::min(std::max(end, start), b);
  SourceLocation l;
  l.file = file_;
  l.line = line;
  l.column = static_cast<int>(first.size() + (start - a)) + 1;
  l.width = static_cast<int>(end - start);
  l.text = first + data_.substr(a, b - a) + after;
  l.first = static_cast<int>(a - inizio_riga);
  return l;
}

SourceLocation FieldReader::location(const Field& c) const {
  if (c.line <= 0 || static_cast<size_t>(c.line) > line_starts_.size()) {
    SourceLocation l;
    l.file = file_;
    return l;
  }
  SourceLocation l = locate(c.line, c.start, c.end);
  if (c.point) l.width = 1;
  return l;
}

const SourceLocation& FieldReader::last() const {
  if (!last_pronto_) {
    last_ = location(field_);
    last_pronto_ = true;
  }
  return last_;
}

std::string FieldReader::entry(const Field& c) const {
  if (c.line <= 0 || c.numero <= 1 || static_cast<size_t>(c.line) > line_starts_.size()) return "";
  const size_t inizio_riga = line_starts_[static_cast<size_t>(c.line) - 1];
  const size_t fine_riga = line_ends_[static_cast<size_t>(c.line) - 1];
  // An excerpt that cuts the start of the line does not show the key.
  if (fine_riga - inizio_riga > max_shown_line && c.start - inizio_riga > 80) return "";
  const std::string_view riga =
      std::string_view(data_).substr(inizio_riga, fine_riga - inizio_riga);
  std::string_view key = riga.substr(0, riga.find(','));
  while (!key.empty() && is_blank(key.front())) key.remove_prefix(1);
  while (!key.empty() && is_blank(key.back())) key.remove_suffix(1);
  // A line that starts with a value continues an entry of an earlier line.
  if (key.empty() || !std::isalpha(static_cast<unsigned char>(key.front()))) return "";
  return "field " + std::to_string(c.numero) + " of \"" + std::string(key) + "\": ";
}

void FieldReader::fail_at(const Field& c, const std::string& what) const {
  throw ParseFailure(what, location(c), entry(c));
}

// The number of the field that starts now on the current line.
int FieldReader::count_field() {
  if (counted_line_ != line_) {
    counted_line_ = line_;
    fields_ = 0;
  }
  return ++fields_;
}

// The point where the next field was expected: just after the last
// character read (after the last line's text when every line end is read).
void FieldReader::mark_here() {
  Field c;
  c.point = true;
  if (static_cast<size_t>(line_) > line_starts_.size()) {
    c.line = static_cast<int>(line_starts_.size());
    c.start = c.end = line_ends_[static_cast<size_t>(c.line) - 1];
  } else {
    c.line = line_;
    c.start = c.end = pos_;
  }
  c.numero = (counted_line_ == c.line ? fields_ : 0) + 1;
  field_ = c;
  last_pronto_ = false;
}

void FieldReader::skip_blanks() {
  while (pos_ < data_.size() && is_blank(data_[pos_])) ++pos_;
}

bool FieldReader::at_line_end() const { return pos_ < data_.size() && is_line_end(data_[pos_]); }

void FieldReader::consume_line_end() {
  if (data_[pos_] == '\r' && pos_ + 1 < data_.size() && data_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  ++line_;
}

void FieldReader::mark(size_t start, size_t end) {
  field_ = Field{line_, start, end, fields_, false};
  last_pronto_ = false;
}

std::string FieldReader::text() {
  if (eof()) {
    mark_here();
    fail_read("expected a field, got the end of the file");
  }
  count_field();
  skip_blanks();
  const size_t start = pos_;
  while (pos_ < data_.size() && data_[pos_] != ',' && !is_line_end(data_[pos_])) ++pos_;
  size_t end = pos_;
  while (end > start && is_blank(data_[end - 1])) --end;
  mark(start, end);
  std::string field = in_1252(start, end, report_text_);
  ends_line_ = true;
  if (pos_ < data_.size()) {
    if (data_[pos_] == ',') {
      ++pos_;
      ends_line_ = false;
    } else {
      consume_line_end();
    }
  }
  count_value();
  return field;
}

std::string FieldReader::stored_text() {
  report_text_ = true;
  struct RestoreOnExit {
    bool& b;
    ~RestoreOnExit() { b = false; }
  } restore{report_text_};
  return text();
}

int64_t FieldReader::number(int64_t lo, int64_t hi, const char* expected) {
  if (eof()) {
    mark_here();
    fail_read(std::string("expected ") + expected + ", got the end of the file");
  }
  count_field();
  skip_blanks();
  const size_t start = pos_;
  bool negative = false;
  if (pos_ < data_.size() && data_[pos_] == '-') {
    negative = true;
    ++pos_;
  }
  const size_t digits = pos_;
  int64_t value = 0;
  bool too_big = false;
  while (pos_ < data_.size() && data_[pos_] >= '0' && data_[pos_] <= '9') {
    if (value <= 100000000000LL)
      value = value * 10 + (data_[pos_] - '0');
    else
      too_big = true;
    ++pos_;
  }
  const bool ends_well = pos_ >= data_.size() || data_[pos_] == ',' || is_blank(data_[pos_]) ||
                         is_line_end(data_[pos_]);
  if (pos_ == digits || !ends_well) {
    // Show the whole offending field.
    size_t end = pos_;
    while (end < data_.size() && data_[end] != ',' && !is_line_end(data_[end])) ++end;
    while (end > start && is_blank(data_[end - 1])) --end;
    mark(start, end);
    const std::string got = data_.substr(start, end - start);
    fail_read(std::string("expected ") + expected + ", got " +
              (got.empty() ? std::string("an empty field") : "\"" + quote(got) + "\""));
  }
  mark(start, pos_);
  if (negative) value = -value;
  if (too_big || value < lo || value > hi) {
    fail("value " + quote(std::string_view(data_).substr(start, pos_ - start)) +
         " does not fit in " + std::to_string(lo) + ".." + std::to_string(hi));
  }
  // Blanks after a number belong to the separator that follows it.
  skip_blanks();
  ends_line_ = pos_ >= data_.size();
  if (pos_ < data_.size()) {
    if (data_[pos_] == ',') {
      ++pos_;
    } else if (at_line_end()) {
      consume_line_end();
      ends_line_ = true;
    }
  }
  count_value();
  return value;
}

uint8_t FieldReader::u8() { return static_cast<uint8_t>(number(0, 255, "a whole number 0..255")); }

int16_t FieldReader::i16() {
  return static_cast<int16_t>(number(-32768, 32767, "a whole number -32768..32767"));
}

int32_t FieldReader::i32() {
  return static_cast<int32_t>(number(INT32_MIN, INT32_MAX, "a whole number"));
}

}  // namespace sc
