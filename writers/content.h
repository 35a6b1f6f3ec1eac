// The five text files of the embedded scenario: content tables and their
// encoding as bytes (one byte per character, Windows-1252, CR LF line ends).
#pragma once

#include <string>
#include <vector>

namespace sc {

// The marker that ends every content table; it is never written.
inline constexpr const char* marcatore_fine = "riferimento fine del file";

// Encodes a content table: every entry up to the marker becomes one line
// ended by CR LF. Entries are already single-byte Windows-1252 text.
std::string encode_rows(const std::vector<std::string>& table);

}  // namespace sc
