#include "compiler/contenuto_file.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace sc {

ContenutoFile::ContenutoFile(std::string bytes) : proprio_(std::move(bytes)), size_(proprio_.size()) {}

ContenutoFile::ContenutoFile(uint64_t size, Produttore produttore)
    : produttore_(std::move(produttore)), size_(size) {}

bool ContenutoFile::scrivi(const Destinazione& d) const {
  if (produttore_) return produttore_(d);
  return proprio_.empty() || d(0, proprio_);
}

std::string ContenutoFile::unito() const {
  if (!produttore_) return proprio_;
  std::string s(size_, '\0');
  uint64_t scritti = 0;
  const bool ok = produttore_([&](uint64_t offset, std::string_view pezzo) {
    if (offset > s.size() || pezzo.size() > s.size() - offset) return false;
    if (!pezzo.empty()) std::memcpy(s.data() + offset, pezzo.data(), pezzo.size());
    scritti += pezzo.size();
    return true;
  });
  if (!ok || scritti != size_) throw std::logic_error("a produced content does not fill its size");
  return s;
}

ContenutoFile::operator std::string_view() const {
  if (!produttore_) return proprio_;
  if (!unito_) unito_ = unito();
  return *unito_;
}

}  // namespace sc
