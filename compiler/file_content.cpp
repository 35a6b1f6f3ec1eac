#include "compiler/file_content.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace sc {

FileContent::FileContent(std::string bytes) : own_(std::move(bytes)), size_(own_.size()) {}

FileContent::FileContent(uint64_t size, Producer producer)
    : producer_(std::move(producer)), size_(size) {}

bool FileContent::write(const Sink& d) const {
  if (producer_) return producer_(d);
  return own_.empty() || d(0, own_);
}

std::string FileContent::joined() const {
  if (!producer_) return own_;
  std::string s(size_, '\0');
  uint64_t written = 0;
  const bool ok = producer_([&](uint64_t offset, std::string_view piece) {
    if (offset > s.size() || piece.size() > s.size() - offset) return false;
    if (!piece.empty()) std::memcpy(s.data() + offset, piece.data(), piece.size());
    written += piece.size();
    return true;
  });
  if (!ok || written != size_) throw std::logic_error("a produced content does not fill its size");
  return s;
}

FileContent::operator std::string_view() const {
  if (!producer_) return own_;
  if (!joined_) joined_ = joined();
  return *joined_;
}

}  // namespace sc
