#include "output/file_output.h"

#include <cstdint>

#include "platform/replace_file.h"

namespace sc {

std::string prefisso_temporaneo(const std::string& target) {
  uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a
  for (unsigned char c : target) h = (h ^ c) * 0x100000001b3ull;
  static const char esa[] = "0123456789abcdef";
  std::string s = ".scenario-compiler-";
  for (int i = 60; i >= 0; i -= 4) s += esa[(h >> i) & 0xf];
  return s + "-";
}

int scrivi_pezzi(int fd, const std::vector<std::string_view>& pezzi) {
  return platform::write_pieces(fd, pezzi);
}

std::optional<std::string> sostituisci_file(const std::string& path, const std::string& bytes, ModoScrittura modo) {
  return sostituisci_files({{path, {bytes}}}, modo);
}

std::optional<std::string> sostituisci_file(const std::string& path, const std::vector<std::string_view>& pezzi,
                                            ModoScrittura modo) {
  return sostituisci_files({{path, pezzi}}, modo);
}

std::optional<std::string> sostituisci_files(const std::vector<FileDaScrivere>& files, ModoScrittura modo) {
  std::vector<platform::FileToReplace> v;
  v.reserve(files.size());
  for (const FileDaScrivere& f : files) {
    v.push_back({f.path, f.scrivi ? f.scrivi : [&f](int fd) { return scrivi_pezzi(fd, f.pezzi); }});
  }
  return platform::replace_files(v, modo.sync, {prefisso_temporaneo, lunghezza_temporaneo});
}

}  // namespace sc
