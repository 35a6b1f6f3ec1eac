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

class FileContent {
 public:
  // Takes one piece of the content and its offset; false stops the writing.
  using Sink = std::function<bool(uint64_t offset, std::string_view piece)>;
  // Hands every byte of the content to the destination exactly once, in
  // pieces in any order; false when the destination refused a piece.
  using Producer = std::function<bool(const Sink&)>;

  FileContent() = default;
  FileContent(std::string bytes);  // held whole
  FileContent(const char* bytes) : FileContent(std::string(bytes)) {}
  FileContent(uint64_t size, Producer producer);

  uint64_t size() const { return size_; }
  // Whether the content is produced while it is written.
  bool produced() const { return static_cast<bool>(producer_); }

  // Hands the content to `d`: a content held whole as one piece at offset
  // 0 (none when empty). False when `d` refused a piece.
  bool write(const Sink& d) const;

  // All the bytes in one string.
  std::string joined() const;
  // All the bytes as one view, for readers that want them in one place
  // (read-back checks): a produced content is joined at the first request
  // and the copy kept.
  operator std::string_view() const;

 private:
  std::string own_;
  Producer producer_;
  uint64_t size_ = 0;
  mutable std::optional<std::string> joined_;
};

}  // namespace sc
