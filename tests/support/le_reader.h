// Reads little-endian values back from compiled-file bytes, independently
// of the program's own readers and writers; a read past the end is a test
// failure.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace sc::test {

class LeReader {
 public:
  explicit LeReader(const std::string& b, size_t pos = 0) : b_(b), pos_(pos) {}

  uint64_t le(int n) {
    EXPECT_LE(n, 8);
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<uint64_t>(byte(pos_ + i)) << (8 * i);
    pos_ += static_cast<size_t>(n);
    return v;
  }
  unsigned u8() { return static_cast<unsigned>(le(1)); }
  unsigned u16() { return static_cast<unsigned>(le(2)); }
  int i16() {
    const long v = static_cast<long>(le(2));
    return static_cast<int>(v >= 0x8000 ? v - 0x10000 : v);
  }
  long long i32() {
    const long long v = static_cast<long long>(le(4));
    return v >= 0x80000000LL ? v - 0x100000000LL : v;
  }
  double f64() {
    const uint64_t bits = le(8);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  std::string text(size_t n) {
    EXPECT_LE(pos_ + n, b_.size());
    std::string s = b_.substr(pos_, n);
    pos_ += n;
    return s;
  }
  void skip(size_t n) { pos_ += n; }
  size_t pos() const { return pos_; }

 private:
  unsigned char byte(size_t i) const {
    EXPECT_LT(i, b_.size());
    return i < b_.size() ? static_cast<unsigned char>(b_[i]) : 0;
  }
  const std::string& b_;
  size_t pos_;
};

}  // namespace sc::test
