// Text as the editor and the compile see it. The protocol carries a
// document as UTF-8 text and positions as a line and a column counted in
// the negotiated encoding's units (UTF-16 code units by default, or
// UTF-8 bytes); the compile reads the file's bytes, in Windows-1252 or
// UTF-8 (with or without a byte-order mark), and tells columns in bytes.
// Lines end at "\r\n", "\r" or "\n", for both.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sc::lsp {

enum class PositionEncoding { utf16, utf8 };

struct Position {
  size_t line = 0;    // from 0
  size_t column = 0;  // from 0, in the encoding's units
};

// Where each line of `text` starts (the first at 0).
std::vector<size_t> line_starts(std::string_view text);

// The units of a piece of UTF-8 text (an invalid byte counts as one unit).
size_t units(std::string_view utf8, PositionEncoding e);

// The byte offset in `text` of a position; a column beyond its line's end
// is the line's end, a line beyond the last the text's end.
size_t offset_of(std::string_view text, Position p, PositionEncoding e);

// Replaces the range from `from` to `to` by `replacement` (an incremental
// change of the editor).
void replace_range(std::string& text, Position from, Position to, std::string_view replacement,
                   PositionEncoding e);

// How a description file is written on disk.
enum class DiskEncoding { utf8, utf8_bom, windows_1252 };

// The encoding of the bytes of a file: a byte-order mark, else UTF-8 when
// the bytes are valid UTF-8 with a character beyond ASCII, else
// Windows-1252 when they hold a byte beyond ASCII; plain ASCII (or no file
// at all) counts as UTF-8, as editors save a new file.
DiskEncoding disk_encoding(std::string_view bytes);

// The editor's text as the bytes of a file in `e`. A character that
// Windows-1252 lacks becomes "?", as a single-byte editor saves it.
std::string encode(std::string_view utf8, DiskEncoding e);

// A file's bytes as UTF-8 text (its byte-order mark left out).
std::string decode(std::string_view bytes, DiskEncoding e);

// The position of the byte column `byte_column` (from 1) of line `line`
// (from 1) of a file's bytes, as the compile counts them (line 1 starts
// after a byte-order mark), in the editor's units of `text`, the same file
// as the editor holds it (each character of the bytes is one of the text,
// a "?" that stands for a character Windows-1252 lacks included).
Position file_position(std::string_view bytes, DiskEncoding d, std::string_view text, int line,
                       int byte_column, PositionEncoding e);

}  // namespace sc::lsp
