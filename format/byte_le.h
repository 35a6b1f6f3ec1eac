// Little-endian reading and writing of the compiled files' values: the
// readers and writers of the three files (celle, elementi, tracciato).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace sc::byte_le {

// Reads values at positions the caller has checked (restanti()).
class ByteReader {
 public:
  explicit ByteReader(std::string_view dati) : dati_(dati) {}

  size_t posizione() const { return pos_; }
  size_t remaining() const { return dati_.size() - pos_; }

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
  std::string text(size_t n) {
    std::string s(dati_.substr(pos_, n));
    pos_ += n;
    return s;
  }

 private:
  std::string_view dati_;
  size_t pos_ = 0;
};

// Writes values into a buffer sized beforehand, from `p` on.
class ByteWriter {
 public:
  explicit ByteWriter(char* p) : p_(p) {}

  void u8(uint8_t v) { *p_++ = static_cast<char>(v); }
  void u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
  }
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
  }
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  void f64(double v) {
    const uint64_t b = std::bit_cast<uint64_t>(v);
    u32(static_cast<uint32_t>(b));
    u32(static_cast<uint32_t>(b >> 32));
  }
  void text(const char* s, size_t n) {
    if (n == 0) return;
    std::memcpy(p_, s, n);
    p_ += n;
  }

 private:
  char* p_;
};

}  // namespace sc::byte_le
