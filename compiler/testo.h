// Text helpers for single-byte (Windows-1252) text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sc {

// Lower case in Windows-1252: A-Z and the accented capitals become their
// small forms; every other byte stays.
char minuscola_1252(char c);
std::string minuscole_1252(std::string_view s);

// Substring tests: exact case, and with letter case ignored.
bool contiene(std::string_view testo, std::string_view chiave);
bool contiene_ic(std::string_view testo, std::string_view chiave);

// `s` with its control characters (below 0x20, 0x7F) escaped as \xNN: a
// text from a file as a terminal may show it.
std::string senza_controlli(std::string_view s);

// `s` for quoting in a message: control characters escaped as \xNN, cut
// after 40 characters with "..." so that a huge field gives a short message.
std::string citazione(std::string_view s);

// The text with leading blanks removed.
std::string_view senza_blank_iniziali(std::string_view s);

}  // namespace sc

namespace sc {

// True when `s` is valid UTF-8 and holds at least one character beyond
// ASCII (a multi-byte sequence). `primo` receives the offset of the first.
bool utf8_multibyte(std::string_view s, size_t* primo = nullptr);

// One character of valid UTF-8 text starting at `i`: its code point and its
// length in bytes.
struct CarattereUtf8 {
  uint32_t codice;
  size_t lunghezza;
};
CarattereUtf8 leggi_utf8(std::string_view s, size_t i);

// The Windows-1252 byte of a code point; -1 when Windows-1252 has none.
int byte_1252(uint32_t codice);

}  // namespace sc
