// Reading back the three compiled files: the cells (".dat"), the element
// table (".sim") and the track plan ("_linea.dat"). Each decoder takes the
// whole file as bytes and either returns the model's own records or throws
// a DecodeError that names the byte offset where the file stops making
// sense. Nothing is ever read outside the given bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/percorso.h"

namespace sc {

// A compiled file whose contents do not fit its layout.
class DecodeError : public std::runtime_error {
 public:
  DecodeError(size_t offset, const std::string& message)
      : std::runtime_error(message), offset_(offset) {}
  // The byte offset the message is about.
  size_t offset() const { return offset_; }

 private:
  size_t offset_;
};

enum class FileCompilato { celle, elementi, tracciato };

// The kind of a compiled file from its name: "_linea.dat" is the track plan
// (tested first, since it also ends in ".dat"), ".sim" the element table,
// any other ".dat" the cells. Nothing for any other name.
std::optional<FileCompilato> riconosci_file(std::string_view nome);

// The same for a path given by the user: std::invalid_argument naming the
// path and the endings of a compiled file's name when it has none of them.
FileCompilato riconosci_file_o_errore(const std::filesystem::path& file);

// "cells", "element table", "track plan".
const char* nome_file_compilato(FileCompilato tipo);

constexpr size_t byte_per_cella = 15;
constexpr size_t byte_fissi_elemento = 34;  // an element record without its name

// Cells file: a multiple of 15 bytes, one cell after the other.
std::vector<Cella> decodifica_celle(std::string_view dati);

// Element table file: exactly 87 records and nothing after them.
std::array<Elemento, numero_elementi> decodifica_elementi(std::string_view dati);

// Track plan file: tagged values (tag 0, 2 or 5), all of column 0 and then
// all of column 1, the two columns of equal length. An empty file gives a
// plan without rows.
Tracciato decodifica_tracciato(std::string_view dati);

// Which records of an element table play which role: stations from record
// 1 upward (as long as records are not clear), board texts from record 80
// downward (as long as they are not clear and not stations), and the
// records that should be clear but are not (record 0, gaps in 1 to 80).
struct RuoliElementi {
  int stazioni = 0;         // records 1 to stazioni
  int ultimo_cartello = 0;  // board texts in records 80 down to this one; 0 for none
  std::vector<int> altri;
};
RuoliElementi ruoli_elementi(const std::array<Elemento, numero_elementi>& elementi);

// The whole content of a file; std::runtime_error naming the file when it
// cannot be read.
std::string leggi_file_binario(const std::filesystem::path& percorso);

// Windows-1252 text (the compiled names) as UTF-8.
std::string utf8_da_1252(std::string_view testo);

}  // namespace sc
