// The compiler entry: parse, cell pass, marks and contest codes, and the
// bytes of the compiled files. Nothing is written to disk here: the caller
// writes the files only when the whole compile got that far.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/fault.h"
#include "compiler/sorgenti.h"
#include "format/nomi_compilati.h"
#include "model/percorso.h"

namespace sc {

// The compiled files, as the format names them.
using CompiledKind = FileCompilato;

// The bytes of one compiled file as pieces in order. A piece is either bytes
// the content owns or a stretch of memory it does not own: a run of double
// entries of the track plan, which lie in memory exactly as the file holds
// them, is not copied. A piece of the model stays valid while the model
// lives unchanged, so the model must outlive the writing of the file.
class ContenutoFile {
 public:
  ContenutoFile() = default;
  ContenutoFile(std::string bytes);  // one owned piece
  ContenutoFile(const char* bytes) : ContenutoFile(std::string(bytes)) {}

  // Appends bytes the content keeps a copy of.
  void aggiungi_copia(const char* p, size_t n);
  // Appends a stretch of memory that must outlive the content; joined to
  // the piece before when it follows it in memory.
  void aggiungi_riferimento(const char* p, size_t n);

  size_t size() const { return size_; }
  // The pieces in order, none empty; valid until the content changes.
  std::vector<std::string_view> pezzi() const;
  // All the bytes in one string.
  std::string unito() const;
  // All the bytes as one view, for readers that want them in one place
  // (read-back checks): a content of more than one piece makes a joined
  // copy at the first request and keeps it.
  operator std::string_view() const;

 private:
  struct Tratto {
    const char* esterno;  // null: bytes [inizio, inizio + n) of proprio_
    size_t inizio;
    size_t n;
  };
  std::string proprio_;
  std::vector<Tratto> tratti_;
  size_t size_ = 0;
  mutable std::optional<std::string> unito_;
};

struct CompiledFile {
  CompiledKind kind;
  ContenutoFile bytes;
};

struct Compilazione {
  enum class Stato {
    pronto,       // files ready to write (faults may still be recorded)
    senza_celle,  // the parse ended before the cells existed: nothing to write
    errore_1250,  // reserved mark slots already used
    errore_1251,  // reserved contest-code slots already used
  };
  Stato stato = Stato::pronto;
  // In writing order: track plan (only when `modo` is nonzero), element
  // table, cells.
  std::vector<CompiledFile> files;
};

// Compiles the two descriptions named by `sorgenti` into the model `p`,
// whose identity strings are already set. `j` is the compile mode.
Compilazione memorizza_percorso(Percorso& p, int32_t j, const Sorgenti& sorgenti, FaultLog& log);

// What follows the parse: with cells 0 and 1 present, the cell consistency
// pass, the marks and contest codes and the file bytes; otherwise
// senza_celle. A reserved-slot clash returns its state and no bytes.
Compilazione completa_compilazione(Percorso& p, FaultLog& log);

}  // namespace sc
