#include "output/terminal_text.h"

#include <cstdint>

#include "compiler/text_1252.h"
#include "format/compiled_decode.h"

namespace sc {
namespace {

void escaped(std::string& out, const char* form, uint32_t value) {
  static constexpr char hex[] = "0123456789abcdef";
  out += form;
  out += hex[(value >> 4) & 15];
  out += hex[value & 15];
}

// The length of the valid UTF-8 sequence at `i`, or 0.
size_t utf8_length(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  size_t n = 0;
  uint32_t minimum = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2, minimum = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3, minimum = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
  }
  const uint32_t cp = read_utf8(s, i).codice;
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

bool valid_utf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
    } else if (const size_t n = utf8_length(s, i); n > 0) {
      i += n;
    } else {
      return false;
    }
  }
  return true;
}

// One character of UTF-8 text (its bytes `c`), escaped when it is a control.
void utf8_character(std::string& out, std::string_view c, bool keep_tabs) {
  const auto first = static_cast<unsigned char>(c[0]);
  if (c.size() == 1) {
    if ((first < 0x20 && !(keep_tabs && first == '\t')) || first == 0x7F) {
      escaped(out, "\\x", first);
    } else {
      out += c;
    }
    return;
  }
  const uint32_t cp = read_utf8(c, 0).codice;
  if (cp >= 0x80 && cp <= 0x9F) {
    escaped(out, "\\u00", cp);
  } else {
    out += c;
  }
}

}  // namespace

ShownCharacters::ShownCharacters(std::string_view s, TextSource from, bool keep_tabs)
    : s_(s),
      windows_1252_(from == TextSource::windows_1252 ||
                    (from == TextSource::description && !valid_utf8(s))),
      keep_tabs_(keep_tabs) {}

size_t ShownCharacters::next(std::string& out) {
  const auto first = static_cast<unsigned char>(s_[at_]);
  size_t n = 1;
  if (first < 0x80) {
    utf8_character(out, s_.substr(at_, 1), keep_tabs_);
  } else if (windows_1252_) {
    utf8_character(out, utf8_from_1252(s_.substr(at_, 1)), keep_tabs_);
  } else if (const size_t length = utf8_length(s_, at_); length > 0) {
    n = length;
    utf8_character(out, s_.substr(at_, n), keep_tabs_);
  } else {
    escaped(out, "\\x", first);
  }
  at_ += n;
  return n;
}

std::string terminal_text(std::string_view s, TextSource from) {
  std::string out;
  out.reserve(s.size());
  for (ShownCharacters c(s, from); !c.done();) c.next(out);
  return out;
}

}  // namespace sc
