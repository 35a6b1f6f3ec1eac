#include "compiler/text_1252.h"

namespace sc {

char lower_1252(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
  switch (u) {
    case 0x8A: return static_cast<char>(0x9A);  // S caron
    case 0x8C: return static_cast<char>(0x9C);  // OE
    case 0x8E: return static_cast<char>(0x9E);  // Z caron
    case 0x9F: return static_cast<char>(0xFF);  // Y diaeresis
    default: return c;
  }
}

std::string lowercase_1252(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = lower_1252(c);
  return out;
}

bool contains(std::string_view text, std::string_view key) {
  return text.find(key) != std::string_view::npos;
}

bool contains_ic(std::string_view text, std::string_view key) {
  return lowercase_1252(text).find(lowercase_1252(key)) != std::string::npos;
}

std::string unchecked(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      static const char hex[] = "0123456789abcdef";
      out += "\\x";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string quote(std::string_view s) {
  constexpr size_t shown = 40;
  std::string out = unchecked(s.substr(0, shown));
  if (s.size() > shown) out += "...";
  return out;
}

std::string_view without_leading_blanks(std::string_view s) {
  const size_t i = s.find_first_not_of(" \t");
  return i == std::string_view::npos ? std::string_view{} : s.substr(i);
}

}  // namespace sc

namespace sc {

Utf8Char read_utf8(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) return {c, 1};
  size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
  uint32_t cp = c & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
  for (size_t k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (b(i + k) & 0x3F);
  return {cp, n};
}

bool utf8_multibyte(std::string_view s, size_t* first) {
  bool multi = false;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t n = 0;
    uint32_t minimo = 0;
    if (c >= 0xC2 && c <= 0xDF)
      n = 2, minimo = 0x80;
    else if (c >= 0xE0 && c <= 0xEF)
      n = 3, minimo = 0x800;
    else if (c >= 0xF0 && c <= 0xF4)
      n = 4, minimo = 0x10000;
    else
      return false;
    if (i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    const uint32_t cp = read_utf8(s, i).codice;
    if (cp < minimo || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (!multi && first) *first = i;
    multi = true;
    i += n;
  }
  return multi;
}

int byte_1252(uint32_t codice) {
  if (codice < 0x80 || (codice >= 0xA0 && codice <= 0xFF)) return static_cast<int>(codice);
  static constexpr uint16_t from_80[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  for (int i = 0; i < 32; ++i) {
    if (from_80[i] != 0 && from_80[i] == codice) return 0x80 + i;
  }
  return -1;
}

}  // namespace sc
