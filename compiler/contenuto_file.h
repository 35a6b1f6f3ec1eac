// The bytes of one output file, either held whole or produced while they
// are written: a producer hands them out in pieces of bounded size, each at
// its offset in the file, so a large file never lies whole in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sc {

class ContenutoFile {
 public:
  // Takes one piece of the content and its offset; false stops the writing.
  using Destinazione = std::function<bool(uint64_t offset, std::string_view pezzo)>;
  // Hands every byte of the content to the destination exactly once, in
  // pieces in any order; false when the destination refused a piece.
  using Produttore = std::function<bool(const Destinazione&)>;

  ContenutoFile() = default;
  ContenutoFile(std::string bytes);  // held whole
  ContenutoFile(const char* bytes) : ContenutoFile(std::string(bytes)) {}
  ContenutoFile(uint64_t size, Produttore produttore);

  uint64_t size() const { return size_; }
  // Whether the content is produced while it is written.
  bool prodotto() const { return static_cast<bool>(produttore_); }

  // Hands the content to `d`: a content held whole as one piece at offset
  // 0 (none when empty). False when `d` refused a piece.
  bool scrivi(const Destinazione& d) const;

  // All the bytes in one string.
  std::string unito() const;
  // All the bytes as one view, for readers that want them in one place
  // (read-back checks): a produced content is joined at the first request
  // and the copy kept.
  operator std::string_view() const;

 private:
  std::string proprio_;
  Produttore produttore_;
  uint64_t size_ = 0;
  mutable std::optional<std::string> unito_;
};

}  // namespace sc
