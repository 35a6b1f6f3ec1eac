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
std::string file_size(size_t n) { return "(size " + std::to_string(n) + ")"; }

std::string read_binary_file(const std::filesystem::path& percorso) {
  std::ifstream in(percorso, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + percorso.string());
  std::ostringstream out;
  out << in.rdbuf();
  if (in.bad()) throw std::runtime_error("cannot read " + percorso.string());
  return std::move(out).str();
}

size_t max_bytes(CompiledKind tipo) {
  switch (tipo) {
    case CompiledKind::celle: return max_cells * byte_cella;
    case CompiledKind::elementi: return max_element_bytes;
    case CompiledKind::tracciato: return max_plan_bytes;
  }
  return 0;
}

std::string read_compiled_file(const std::filesystem::path& percorso, CompiledKind tipo) {
  const auto errore = [&](const std::string& what) {
    return std::runtime_error("cannot " + what + " " + percorso.string() + ": " +
                              std::strerror(errno));
  };
  // The size comes from the open file itself, so that what is read is what
  // was measured; a file that grows meanwhile is read no further.
  const int fd = ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw errore("open");
  struct CloseOnExit {
    int fd;
    ~CloseOnExit() { ::close(fd); }
  } close{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw errore("read the size of");
  if (!S_ISREG(st.st_mode)) throw std::runtime_error(percorso.string() + " is not a regular file");
  const size_t byte = static_cast<size_t>(st.st_size);
  // Only what cannot fit is refused here: a file too short for its kind
  // is left to the decoder, which names where it ends.
  const size_t limit = max_bytes(tipo);
  if (byte > limit) {
    throw DecodeError(0, std::string(compiled_file_name(tipo)) + ": file size " +
                             std::to_string(byte) + " is above the " + std::to_string(limit) +
                             " bytes that the largest " + compiled_file_name(tipo) +
                             " file can have");
  }
  std::string dati(byte, '\0');
  size_t read = 0;
  while (read < byte) {
    const ssize_t n = ::read(fd, dati.data() + read, byte - read);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw errore("read");
    if (n == 0) break;  // the file shrank meanwhile: what is there is decoded
    read += static_cast<size_t>(n);
  }
  dati.resize(read);
  return dati;
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
