#include "compiler/field_reader.h"
#include "compiler/fault_codes.h"

#include "compiler/testo.h"

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
  utf8_ = utf8_multibyte(std::string_view(data_).substr(pos_), &primo_non_ascii_);
  primo_non_ascii_ += pos_;
}

// The line (from 1) that holds the character at `offset`.
int FieldReader::riga_di(size_t offset) const {
  const auto it = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
  return static_cast<int>(it - line_starts_.begin());
}

void FieldReader::segnala_in(FaultLog* log) {
  log_ = log;
  if (!log_ || !utf8_) return;
  const int riga = riga_di(primo_non_ascii_);
  const size_t n = leggi_utf8(data_, primo_non_ascii_).lunghezza;
  log_->aggiungi_altra(Fault{1, std::nullopt, locate(riga, primo_non_ascii_, primo_non_ascii_ + n),
                             "the file is read as UTF-8; its texts are stored in Windows-1252, as the "
                             "simulator shows them",
                             Gravita::nota});
}

std::string FieldReader::in_1252(size_t start, size_t end, bool segnala) {
  if (!utf8_) return data_.substr(start, end - start);
  std::string s;
  s.reserve(end - start);
  for (size_t i = start; i < end;) {
    const CarattereUtf8 c = leggi_utf8(data_, i);
    const int b = byte_1252(c.codice);
    if (b >= 0) {
      s += static_cast<char>(b);
    } else {
      s += '?';
      if (segnala && log_) {
        char u[16];
        std::snprintf(u, sizeof u, "U+%04X", static_cast<unsigned>(c.codice));
        log_->aggiungi_altra(Fault{fault_code::no_windows_1252_code, std::nullopt, locate(campo_.line, i, i + c.lunghezza),
                                   std::string("the character ") + u + " (\"" + data_.substr(i, c.lunghezza) +
                                       "\") has no Windows-1252 code; it is stored as \"?\""});
      }
    }
    i += c.lunghezza;
  }
  return s;
}

void FieldReader::riprendi_dopo_riga(int line) {
  voce_ = Voce{};
  riga_contata_ = 0;
  if (pos_ == ultima_ripresa_) line = std::max(line, line_);
  ultima_ripresa_ = pos_;
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

std::string_view FieldReader::prossimo_campo() const {
  size_t fine = pos_;
  while (fine < data_.size() && data_[fine] != ',' && !is_line_end(data_[fine])) ++fine;
  return std::string_view(data_).substr(pos_, fine - pos_);
}

void FieldReader::inizia_voce(const Campo& chiave, std::string nome, int valori) {
  voce_ = Voce{};
  if (chiave.line <= 0 || static_cast<size_t>(chiave.line) > line_ends_.size()) return;
  voce_.line = chiave.line;
  voce_.fine_riga = line_ends_[static_cast<size_t>(chiave.line) - 1];
  voce_.nome = std::move(nome);
  voce_.valori = valori;
}

// A value that cannot be read: when it stands on a line after its entry's
// key, the entry's own line is the cause.
void FieldReader::fail_lettura(const std::string& what) {
  if (voce_.line > 0 && campo_.line > voce_.line && voce_.letti < voce_.valori) {
    Campo fine{voce_.line, voce_.fine_riga, voce_.fine_riga, 0, true};
    throw ParseFailure("\"" + voce_.nome + "\" has " + std::to_string(voce_.letti) + " of its " +
                           std::to_string(voce_.valori) + " values on its line (then, on line " +
                           std::to_string(campo_.line) + ": " + what + ")",
                       luogo(fine));
  }
  fail(what);
}

void FieldReader::conta_valore() {
  if (voce_.line > 0 && campo_.line == voce_.line) ++voce_.letti;
}

// The location of the characters start..end of `line`. A long line is cut
// to an excerpt around the field, so that a location costs the same on a
// line of any length and a diagnostic stays readable.
SourceLocation FieldReader::locate(int line, size_t start, size_t end) const {
  const size_t inizio_riga = line_starts_[static_cast<size_t>(line) - 1];
  const size_t fine_riga = line_ends_[static_cast<size_t>(line) - 1];
  size_t a = inizio_riga;
  size_t b = fine_riga;
  std::string prima, dopo;
  if (fine_riga - inizio_riga > riga_mostrata_massima) {
    constexpr size_t contesto = 80;  // characters kept before the field
    a = start - inizio_riga > contesto ? start - contesto : inizio_riga;
    b = std::min(fine_riga, a + riga_mostrata_massima);
    if (a > inizio_riga) prima = "...";
    if (b < fine_riga) dopo = "...";
  }
  start = std::min(start, b);
  end = std::min(std::max(end, start), b);
  SourceLocation l;
  l.file = file_;
  l.line = line;
  l.column = static_cast<int>(prima.size() + (start - a)) + 1;
  l.width = static_cast<int>(end - start);
  l.text = prima + data_.substr(a, b - a) + dopo;
  l.prima = static_cast<int>(a - inizio_riga);
  return l;
}

SourceLocation FieldReader::luogo(const Campo& c) const {
  if (c.line <= 0 || static_cast<size_t>(c.line) > line_starts_.size()) {
    SourceLocation l;
    l.file = file_;
    return l;
  }
  SourceLocation l = locate(c.line, c.start, c.end);
  if (c.punto) l.width = 1;
  return l;
}

const SourceLocation& FieldReader::last() const {
  if (!last_pronto_) {
    last_ = luogo(campo_);
    last_pronto_ = true;
  }
  return last_;
}

std::string FieldReader::voce(const Campo& c) const {
  if (c.line <= 0 || c.numero <= 1 || static_cast<size_t>(c.line) > line_starts_.size()) return "";
  const size_t inizio_riga = line_starts_[static_cast<size_t>(c.line) - 1];
  const size_t fine_riga = line_ends_[static_cast<size_t>(c.line) - 1];
  // An excerpt that cuts the start of the line does not show the key.
  if (fine_riga - inizio_riga > riga_mostrata_massima && c.start - inizio_riga > 80) return "";
  const std::string_view riga = std::string_view(data_).substr(inizio_riga, fine_riga - inizio_riga);
  std::string_view chiave = riga.substr(0, riga.find(','));
  while (!chiave.empty() && is_blank(chiave.front())) chiave.remove_prefix(1);
  while (!chiave.empty() && is_blank(chiave.back())) chiave.remove_suffix(1);
  // A line that starts with a value continues an entry of an earlier line.
  if (chiave.empty() || !std::isalpha(static_cast<unsigned char>(chiave.front()))) return "";
  return "field " + std::to_string(c.numero) + " of \"" + std::string(chiave) + "\": ";
}

void FieldReader::fail_at(const Campo& c, const std::string& what) const {
  throw ParseFailure(what, luogo(c), voce(c));
}

// The number of the field that starts now on the current line.
int FieldReader::conta_campo() {
  if (riga_contata_ != line_) {
    riga_contata_ = line_;
    campi_ = 0;
  }
  return ++campi_;
}

// The point where the next field was expected: just after the last
// character read (after the last line's text when every line end is read).
void FieldReader::mark_here() {
  Campo c;
  c.punto = true;
  if (static_cast<size_t>(line_) > line_starts_.size()) {
    c.line = static_cast<int>(line_starts_.size());
    c.start = c.end = line_ends_[static_cast<size_t>(c.line) - 1];
  } else {
    c.line = line_;
    c.start = c.end = pos_;
  }
  c.numero = (riga_contata_ == c.line ? campi_ : 0) + 1;
  campo_ = c;
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
  campo_ = Campo{line_, start, end, campi_, false};
  last_pronto_ = false;
}

std::string FieldReader::text() {
  if (eof()) {
    mark_here();
    fail_lettura("expected a field, got the end of the file");
  }
  conta_campo();
  skip_blanks();
  const size_t start = pos_;
  while (pos_ < data_.size() && data_[pos_] != ',' && !is_line_end(data_[pos_])) ++pos_;
  size_t end = pos_;
  while (end > start && is_blank(data_[end - 1])) --end;
  mark(start, end);
  std::string field = in_1252(start, end, segnala_testo_);
  chiude_riga_ = true;
  if (pos_ < data_.size()) {
    if (data_[pos_] == ',') {
      ++pos_;
      chiude_riga_ = false;
    } else {
      consume_line_end();
    }
  }
  conta_valore();
  return field;
}

std::string FieldReader::testo_memorizzato() {
  segnala_testo_ = true;
  struct Ripristina {
    bool& b;
    ~Ripristina() { b = false; }
  } ripristina{segnala_testo_};
  return text();
}

int64_t FieldReader::number(int64_t lo, int64_t hi, const char* expected) {
  if (eof()) {
    mark_here();
    fail_lettura(std::string("expected ") + expected + ", got the end of the file");
  }
  conta_campo();
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
    if (value <= 100000000000LL) value = value * 10 + (data_[pos_] - '0');
    else too_big = true;
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
    fail_lettura(std::string("expected ") + expected + ", got " +
                 (got.empty() ? std::string("an empty field") : "\"" + citazione(got) + "\""));
  }
  mark(start, pos_);
  if (negative) value = -value;
  if (too_big || value < lo || value > hi) {
    fail("value " + citazione(std::string_view(data_).substr(start, pos_ - start)) + " does not fit in " +
         std::to_string(lo) +
         ".." + std::to_string(hi));
  }
  // Blanks after a number belong to the separator that follows it.
  skip_blanks();
  chiude_riga_ = pos_ >= data_.size();
  if (pos_ < data_.size()) {
    if (data_[pos_] == ',') {
      ++pos_;
    } else if (at_line_end()) {
      consume_line_end();
      chiude_riga_ = true;
    }
  }
  conta_valore();
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
