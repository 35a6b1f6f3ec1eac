// Text helpers for single-byte (Windows-1252) text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sc {

// Lower case in Windows-1252: A-Z and the accented capitals become their
// small forms; every other byte stays.
char lower_1252(char c);
std::string lowercase_1252(std::string_view s);

// Substring tests: exact case, and with letter case ignored.
bool contains(std::string_view text, std::string_view key);
bool contains_ic(std::string_view text, std::string_view key);

// `s` with its control characters (below 0x20, 0x7F) escaped as \xNN: a
// text from a file as a terminal may show it.
std::string unchecked(std::string_view s);

// `s` for quoting in a message: control characters escaped as \xNN, cut
// after 40 characters with "..." so that a huge field gives a short message.
std::string quote(std::string_view s);

// The text with leading blanks removed.
std::string_view without_leading_blanks(std::string_view s);

}  // namespace sc

namespace sc {

// True when `s` is valid UTF-8 and holds at least one character beyond
// ASCII (a multi-byte sequence). `first` receives the offset of the first.
bool utf8_multibyte(std::string_view s, size_t* first = nullptr);

// One character of valid UTF-8 text starting at `i`: its code point and its
// length in bytes.
struct Utf8Char {
  uint32_t codice;
  size_t lunghezza;
};
Utf8Char read_utf8(std::string_view s, size_t i);

// The Windows-1252 byte of a code point; -1 when Windows-1252 has none.
int byte_1252(uint32_t codice);

}  // namespace sc
