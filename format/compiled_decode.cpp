#include "format/compiled_decode.h"

#include <bit>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace sc {
namespace {

// Little-endian reads at a position the caller has checked.
class Lettore {
 public:
  explicit Lettore(std::string_view dati) : dati_(dati) {}

  size_t posizione() const { return pos_; }
  size_t restanti() const { return dati_.size() - pos_; }

  uint8_t u8() { return static_cast<uint8_t>(dati_[pos_++]); }
  uint16_t u16() {
    const uint16_t b0 = u8();
    const uint16_t b1 = u8();
    return static_cast<uint16_t>(b0 | (b1 << 8));
  }
  int16_t i16() { return static_cast<int16_t>(u16()); }
  int32_t i32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(u8()) << (8 * i);
    return static_cast<int32_t>(v);
  }
  double f64() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(u8()) << (8 * i);
    return std::bit_cast<double>(v);
  }
  std::string testo(size_t n) {
    std::string s(dati_.substr(pos_, n));
    pos_ += n;
    return s;
  }

 private:
  std::string_view dati_;
  size_t pos_ = 0;
};

std::string dimensione(size_t n) { return "(size " + std::to_string(n) + ")"; }

}  // namespace

std::optional<FileCompilato> riconosci_file(std::string_view nome) {
  if (nome.ends_with("_linea.dat")) return FileCompilato::tracciato;
  if (nome.ends_with(".sim")) return FileCompilato::elementi;
  if (nome.ends_with(".dat")) return FileCompilato::celle;
  return std::nullopt;
}

FileCompilato riconosci_file_o_errore(const std::filesystem::path& file) {
  const std::optional<FileCompilato> tipo = riconosci_file(file.filename().string());
  if (!tipo) {
    throw std::invalid_argument("\"" + file.string() +
                                "\" is not a compiled file: the name must end in \"_linea.dat\", "
                                "\".sim\" or \".dat\"");
  }
  return *tipo;
}

const char* nome_file_compilato(FileCompilato tipo) {
  switch (tipo) {
    case FileCompilato::celle: return "cells";
    case FileCompilato::elementi: return "element table";
    case FileCompilato::tracciato: return "track plan";
  }
  return "compiled file";
}

std::vector<Cella> decodifica_celle(std::string_view dati) {
  const size_t resto = dati.size() % byte_per_cella;
  if (resto != 0) {
    const size_t ultima = dati.size() / byte_per_cella;
    const size_t offset = ultima * byte_per_cella;
    throw DecodeError(offset, "cells: file size " + std::to_string(dati.size()) +
                                  " is not a multiple of 15: cell " + std::to_string(ultima) +
                                  " at offset " + std::to_string(offset) + " has only " +
                                  std::to_string(resto) + " of its 15 bytes");
  }
  std::vector<Cella> celle(dati.size() / byte_per_cella);
  Lettore l(dati);
  for (Cella& c : celle) {
    c.tipo = l.u8();
    c.valore_1 = l.i16();
    c.valore_2 = l.i16();
    c.valore_3 = l.i16();
    c.valore_4 = l.i16();
    c.tempo = l.u8();
    c.avviso = l.u8();
    c.galleria = l.u8();
    c.velocita = l.u8();
    c.pendenza = l.u8();
    c.aderenza = l.u8();
  }
  return celle;
}

std::array<Elemento, numero_elementi> decodifica_elementi(std::string_view dati) {
  constexpr size_t testa = 16;  // tipo to the name length
  constexpr size_t coda = 18;   // dato_7 to orario
  std::array<Elemento, numero_elementi> elementi{};
  Lettore l(dati);
  for (int r = 0; r < numero_elementi; ++r) {
    const size_t inizio = l.posizione();
    const std::string dove = "element table: record " + std::to_string(r) + " at offset " +
                             std::to_string(inizio) + ": ";
    if (l.restanti() == 0) {
      throw DecodeError(inizio, dove + "the file ends before this record; 87 records expected " +
                                    dimensione(dati.size()));
    }
    if (l.restanti() < testa) {
      throw DecodeError(inizio, dove + "the file ends inside the record's first 16 bytes, " +
                                    std::to_string(l.restanti()) + " left " +
                                    dimensione(dati.size()));
    }
    Elemento& e = elementi[static_cast<size_t>(r)];
    e.tipo = l.u8();
    e.inizio = l.i32();
    e.fine = l.i32();
    e.progressiva = l.i32();
    e.dato_4 = l.u8();
    const size_t n = l.u16();
    if (n > l.restanti()) {
      throw DecodeError(inizio, dove + "name length " + std::to_string(n) +
                                    " runs past the end of the file " + dimensione(dati.size()));
    }
    e.nome = l.testo(n);
    if (l.restanti() < coda) {
      throw DecodeError(inizio, dove + "the file ends inside the 18 bytes after the name (offset " +
                                    std::to_string(l.posizione()) + ", " +
                                    std::to_string(l.restanti()) + " left) " +
                                    dimensione(dati.size()));
    }
    e.dato_7 = l.i16();
    e.dato_8 = l.i16();
    e.dato_10 = l.i16();
    e.dato_11 = l.i16();
    e.dato_12 = l.i16();
    e.dato_9 = l.u8();
    e.dato_13 = l.u8();
    e.dato_6 = l.u8();
    e.dato_5 = l.u8();
    e.orario = l.i32();
  }
  if (l.restanti() != 0) {
    throw DecodeError(l.posizione(), "element table: " + std::to_string(l.restanti()) +
                                         " bytes after the last record, at offset " +
                                         std::to_string(l.posizione()) +
                                         "; exactly 87 records expected " + dimensione(dati.size()));
  }
  return elementi;
}

Tracciato decodifica_tracciato(std::string_view dati) {
  std::vector<Numero> valori;
  valori.reserve(dati.size() / 6 + 1);
  Lettore l(dati);
  while (l.restanti() > 0) {
    const size_t inizio = l.posizione();
    const std::string dove = "track plan: element " + std::to_string(valori.size()) +
                             " at offset " + std::to_string(inizio) + ": ";
    if (l.restanti() < 2) {
      throw DecodeError(inizio, dove + "the file ends inside the 2-byte type tag " +
                                    dimensione(dati.size()));
    }
    const uint16_t tag = l.u16();
    size_t serve = 0;
    if (tag == 2) {
      serve = 2;
    } else if (tag == 5) {
      serve = 8;
    } else if (tag != 0) {
      throw DecodeError(inizio, dove + "type tag " + std::to_string(tag) + " is not 0, 2 or 5");
    }
    if (l.restanti() < serve) {
      throw DecodeError(inizio, dove + "tag " + std::to_string(tag) + " needs " +
                                    std::to_string(serve) + " value bytes, only " +
                                    std::to_string(l.restanti()) + " left " +
                                    dimensione(dati.size()));
    }
    if (tag == 2) {
      valori.push_back(Numero::intero(l.i16()));
    } else if (tag == 5) {
      valori.push_back(Numero::reale(l.f64()));
    } else {
      valori.push_back(Numero{});
    }
  }
  if (valori.empty()) return Tracciato();
  if (valori.size() % 2 != 0) {
    throw DecodeError(dati.size(), "track plan: " + std::to_string(valori.size()) +
                                       " elements do not split into two columns of equal length " +
                                       dimensione(dati.size()));
  }
  const size_t righe = valori.size() / 2;
  if (righe > static_cast<size_t>(INT32_MAX)) {
    throw DecodeError(0, "track plan: " + std::to_string(righe) + " rows are more than a plan can hold");
  }
  Tracciato t(static_cast<int32_t>(righe - 1));
  std::copy(valori.begin(), valori.begin() + static_cast<std::ptrdiff_t>(righe),
            t.colonna(0).begin());
  std::copy(valori.begin() + static_cast<std::ptrdiff_t>(righe), valori.end(),
            t.colonna(1).begin());
  return t;
}

RuoliElementi ruoli_elementi(const std::array<Elemento, numero_elementi>& elementi) {
  const auto chiaro = [&](int r) { return elementi.at(static_cast<size_t>(r)) == Elemento{}; };
  RuoliElementi ruoli;
  while (ruoli.stazioni < record_primo_cartello && !chiaro(ruoli.stazioni + 1)) ++ruoli.stazioni;
  int r = record_primo_cartello;
  while (r > ruoli.stazioni && !chiaro(r)) --r;
  ruoli.ultimo_cartello = r < record_primo_cartello ? r + 1 : 0;
  if (!chiaro(0)) ruoli.altri.push_back(0);
  for (int i = ruoli.stazioni + 1; i <= r; ++i) {
    if (!chiaro(i)) ruoli.altri.push_back(i);
  }
  return ruoli;
}

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
