#include "format/compiled_decode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

size_t byte_massimi(FileCompilato tipo) {
  switch (tipo) {
    case FileCompilato::celle: return celle_massime * byte_cella;
    case FileCompilato::elementi: return byte_elementi_massimi;
    case FileCompilato::tracciato: return byte_tracciato_massimi;
  }
  return 0;
}

std::string leggi_file_compilato(const std::filesystem::path& percorso, FileCompilato tipo) {
  const auto errore = [&](const std::string& cosa) {
    return std::runtime_error("cannot " + cosa + " " + percorso.string() + ": " + std::strerror(errno));
  };
  // The size comes from the open file itself, so that what is read is what
  // was measured; a file that grows meanwhile is read no further.
  const int fd = ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw errore("open");
  struct Chiudi {
    int fd;
    ~Chiudi() { ::close(fd); }
  } chiudi{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw errore("read the size of");
  if (!S_ISREG(st.st_mode)) throw std::runtime_error(percorso.string() + " is not a regular file");
  const size_t byte = static_cast<size_t>(st.st_size);
  // Only what cannot fit is refused here: a file too short for its kind
  // is left to the decoder, which names where it ends.
  const size_t massimo = byte_massimi(tipo);
  if (byte > massimo) {
    throw DecodeError(0, std::string(nome_file_compilato(tipo)) + ": file size " + std::to_string(byte) +
                             " is above the " + std::to_string(massimo) + " bytes that the largest " +
                             nome_file_compilato(tipo) + " file can have");
  }
  std::string dati(byte, '\0');
  size_t letti = 0;
  while (letti < byte) {
    const ssize_t n = ::read(fd, dati.data() + letti, byte - letti);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw errore("read");
    if (n == 0) break;  // the file shrank meanwhile: what is there is decoded
    letti += static_cast<size_t>(n);
  }
  dati.resize(letti);
  return dati;
}

std::string utf8_mostrabile_da_1252(std::string_view testo) {
  static constexpr char hex[] = "0123456789abcdef";
  std::string out;
  out.reserve(testo.size());
  size_t da = 0;  // the bytes since the last escape, converted together
  const auto fino_a = [&](size_t i) { out += utf8_da_1252(testo.substr(da, i - da)); };
  for (size_t i = 0; i < testo.size(); ++i) {
    const auto b = static_cast<unsigned char>(testo[i]);
    const bool controllo = b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    if (!controllo && b != '\\') continue;
    fino_a(i);
    da = i + 1;
    if (b == '\\') {
      out += "\\\\";
    } else {
      out += "\\x";
      out += hex[b >> 4];
      out += hex[b & 15];
    }
  }
  fino_a(testo.size());
  return out;
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
