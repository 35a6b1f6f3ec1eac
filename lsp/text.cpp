#include "lsp/text.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "compiler/text_1252.h"

namespace sc::lsp {
namespace {

constexpr std::string_view bom = "\xEF\xBB\xBF";

bool line_end(char c) { return c == '\r' || c == '\n'; }

// The length of the valid UTF-8 character at `i`, 0 when the byte there
// begins none.
size_t utf8_length(std::string_view s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n = 0;
  uint32_t min = 0;
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0)
    n = 2, min = 0x80;
  else if ((c & 0xF0) == 0xE0)
    n = 3, min = 0x800;
  else if ((c & 0xF8) == 0xF0)
    n = 4, min = 0x10000;
  else
    return 0;
  if (i + n > s.size()) return 0;
  uint32_t cp = c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    const unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

// The code point of each Windows-1252 byte; the five bytes it leaves
// undefined stand for the code points of their own number.
const std::array<uint32_t, 256>& code_points_1252() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t b = 0; b < 256; ++b) t[b] = b;
    for (uint32_t cp = 0x100; cp < 0x2200; ++cp) {
      const int b = byte_1252(cp);
      if (b >= 0x80 && b < 0xA0) t[static_cast<size_t>(b)] = cp;
    }
    return t;
  }();
  return table;
}

void append_utf8(std::string& s, uint32_t cp) {
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::vector<size_t> line_starts(std::string_view text) {
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < text.size(); ++i) {
    if (!line_end(text[i])) continue;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    starts.push_back(i + 1);
  }
  return starts;
}

size_t units(std::string_view s, PositionEncoding e) {
  if (e == PositionEncoding::utf8) return s.size();
  size_t n = 0;
  for (size_t i = 0; i < s.size();) {
    const size_t k = utf8_length(s, i);
    n += k == 4 ? 2 : 1;
    i += k == 0 ? 1 : k;
  }
  return n;
}

size_t offset_of(std::string_view text, Position p, PositionEncoding e) {
  size_t start = 0;
  for (size_t line = 0; line < p.line; ++line) {
    while (start < text.size() && !line_end(text[start])) ++start;
    if (start == text.size()) return start;
    if (text[start] == '\r' && start + 1 < text.size() && text[start + 1] == '\n') ++start;
    ++start;
  }
  size_t i = start, counted = 0;
  while (i < text.size() && !line_end(text[i]) && counted < p.column) {
    const size_t k = e == PositionEncoding::utf8 ? 1 : utf8_length(text, i);
    const size_t u = k == 4 ? 2 : 1;
    // A column inside a surrogate pair stands before its character.
    if (counted + u > p.column) break;
    counted += u;
    i += k == 0 ? 1 : k;
  }
  return i;
}

void replace_range(std::string& text, Position from, Position to, std::string_view replacement,
                   PositionEncoding e) {
  const size_t a = offset_of(text, from, e);
  const size_t b = std::max(a, offset_of(text, to, e));
  text.replace(a, b - a, replacement);
}

DiskEncoding disk_encoding(std::string_view bytes) {
  if (bytes.substr(0, bom.size()) == bom) return DiskEncoding::utf8_bom;
  const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii || utf8_multibyte(bytes)) return DiskEncoding::utf8;
  return DiskEncoding::windows_1252;
}

std::string encode(std::string_view utf8, DiskEncoding e) {
  if (e == DiskEncoding::utf8) return std::string(utf8);
  if (e == DiskEncoding::utf8_bom) return std::string(bom) + std::string(utf8);
  const auto& table = code_points_1252();
  std::string s;
  s.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const size_t k = utf8_length(utf8, i);
    if (k <= 1) {
      s += utf8[i];  // ASCII, or a stray byte kept as it is
      ++i;
      continue;
    }
    const uint32_t cp = read_utf8(utf8, i).codice;
    int b = byte_1252(cp);
    if (b < 0 && cp >= 0x80 && cp < 0xA0 && table[cp] == cp) b = static_cast<int>(cp);
    s += b < 0 ? '?' : static_cast<char>(b);
    i += k;
  }
  return s;
}

std::string decode(std::string_view bytes, DiskEncoding e) {
  if (e == DiskEncoding::utf8_bom && bytes.substr(0, bom.size()) == bom) bytes.remove_prefix(3);
  if (e != DiskEncoding::windows_1252) return std::string(bytes);
  const auto& table = code_points_1252();
  std::string s;
  s.reserve(bytes.size());
  for (const char c : bytes) append_utf8(s, table[static_cast<unsigned char>(c)]);
  return s;
}

Position file_position(std::string_view bytes, DiskEncoding d, std::string_view text, int line,
                       int byte_column, PositionEncoding e) {
  if (bytes.substr(0, bom.size()) == bom) bytes.remove_prefix(bom.size());
  if (line < 1) return {};
  const size_t l = static_cast<size_t>(line) - 1;
  // The characters before the column in the bytes.
  const std::vector<size_t> starts = line_starts(bytes);
  if (l >= starts.size()) return {l, 0};
  size_t end = starts[l];
  while (end < bytes.size() && !line_end(bytes[end])) ++end;
  const size_t column = byte_column > 1 ? static_cast<size_t>(byte_column) - 1 : 0;
  const std::string_view before = bytes.substr(starts[l], std::min(column, end - starts[l]));
  size_t characters = before.size();
  if (d != DiskEncoding::windows_1252) {
    characters = 0;
    for (size_t i = 0; i < before.size(); ++characters) {
      const size_t k = utf8_length(before, i);
      i += k == 0 ? 1 : k;
    }
  }
  // As many characters of the same line of the text.
  const size_t from = offset_of(text, {l, 0}, PositionEncoding::utf8);
  size_t i = from;
  for (size_t n = 0; n < characters && i < text.size() && !line_end(text[i]); ++n) {
    const size_t k = utf8_length(text, i);
    i += k == 0 ? 1 : k;
  }
  return {l, units(text.substr(from, i - from), e)};
}

}  // namespace sc::lsp
