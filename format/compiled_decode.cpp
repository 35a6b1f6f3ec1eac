#include "format/compiled_decode.h"

#include <string>

namespace sc {
std::string file_size(size_t n) { return "(size " + std::to_string(n) + ")"; }

size_t max_bytes(CompiledKind tipo) {
  switch (tipo) {
    case CompiledKind::celle: return max_cells * byte_cella;
    case CompiledKind::elementi: return max_element_bytes;
    case CompiledKind::tracciato: return max_plan_bytes;
  }
  return 0;
}

std::string utf8_showable_from_1252(std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  size_t from = 0;  // the bytes since the last escape, converted together
  const auto up_to = [&](size_t i) { out += utf8_from_1252(text.substr(from, i - from)); };
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    const bool is_control =
        b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    if (!is_control && b != '\\') continue;
    up_to(i);
    from = i + 1;
    if (b == '\\') {
      out += "\\\\";
    } else {
      out += "\\x";
      out += hex[b >> 4];
      out += hex[b & 15];
    }
  }
  up_to(text.size());
  return out;
}

std::string utf8_from_1252(std::string_view text) {
  // Code points of 0x80 to 0x9F; the five unassigned bytes keep their C1 value.
  static constexpr char32_t high[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    const char32_t cp = (b >= 0x80 && b < 0xA0) ? high[b - 0x80] : b;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace sc
