// The three compiled files and their file-name rule: one table that names
// them, recognises them by name, and tells messages what they are.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sc {

// The three compiled files.
enum class FileCompilato { celle, elementi, tracciato };

// The file-name rule of the compiled files: NAME + ("_" + NUMBER when the
// file is the train's) + suffix. Recognised by the suffix in this order:
// "_linea.dat" first, since it also ends in ".dat".
struct NomeCompilato {
  FileCompilato tipo;
  const char* suffisso;
  bool del_treno;     // the train number is part of the name
  const char* nome;   // as messages name the file
  const char* forma;  // the name's form, for messages
};
inline constexpr NomeCompilato nomi_compilati[] = {
    {FileCompilato::tracciato, "_linea.dat", false, "track plan", "NAME_linea.dat"},
    {FileCompilato::elementi, ".sim", true, "element table", "NAME_NUMBER.sim"},
    {FileCompilato::celle, ".dat", true, "cells", "NAME_NUMBER.dat"},
};

// The row of `tipo` in nomi_compilati.
const NomeCompilato& nome_compilato(FileCompilato tipo);

// The file name of a compiled file of scenario `nome_scenario`, train
// `numero_treno`.
std::string nome_file_compilato(FileCompilato tipo, const std::string& nome_scenario,
                                const std::string& numero_treno);

// The kind of a compiled file from its name, by nomi_compilati. Nothing for
// any other name.
std::optional<FileCompilato> riconosci_file(std::string_view nome);

// The same for a path given by the user: std::invalid_argument naming the
// path and the endings of a compiled file's name when it has none of them.
FileCompilato riconosci_file_o_errore(const std::filesystem::path& file);

// "cells", "element table", "track plan".
const char* nome_file_compilato(FileCompilato tipo);

}  // namespace sc
