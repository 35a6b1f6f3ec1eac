#include "format/compiled_decode.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace sc {
std::string dimensione_file(size_t n) { return "(size " + std::to_string(n) + ")"; }

std::string leggi_file_binario(const std::filesystem::path& percorso) {
  std::ifstream in(percorso, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + percorso.string());
  std::ostringstream out;
  out << in.rdbuf();
  if (in.bad()) throw std::runtime_error("cannot read " + percorso.string());
  return std::move(out).str();
}

std::string utf8_da_1252(std::string_view testo) {
  // Code points of 0x80 to 0x9F; the five unassigned bytes keep their C1 value.
  static constexpr char32_t alti[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(testo.size());
  for (const char ch : testo) {
    const auto b = static_cast<unsigned char>(ch);
    const char32_t cp = (b >= 0x80 && b < 0xA0) ? alti[b - 0x80] : b;
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
