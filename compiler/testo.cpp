#include "compiler/testo.h"

namespace sc {

char minuscola_1252(char c) {
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

std::string minuscole_1252(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = minuscola_1252(c);
  return out;
}

bool contiene(std::string_view testo, std::string_view chiave) {
  return testo.find(chiave) != std::string_view::npos;
}

bool contiene_ic(std::string_view testo, std::string_view chiave) {
  return minuscole_1252(testo).find(minuscole_1252(chiave)) != std::string::npos;
}

std::string senza_controlli(std::string_view s) {
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

std::string citazione(std::string_view s) {
  constexpr size_t mostrati = 40;
  std::string out = senza_controlli(s.substr(0, mostrati));
  if (s.size() > mostrati) out += "...";
  return out;
}

std::string_view senza_blank_iniziali(std::string_view s) {
  const size_t i = s.find_first_not_of(" \t");
  return i == std::string_view::npos ? std::string_view{} : s.substr(i);
}

}  // namespace sc
