// What the programs' commands share: the embedded run's options, paths as
// the user types them, the checks of input files and output directories,
// the wording of a usage error.
#pragma once

#include <iosfwd>
#include <string>

#include "output/stati_uscita.h"
#include "output/file_output.h"

namespace sc {

// The embedded run's options.
struct OpzioniEsecuzione {
  ModoScrittura modo;  // --sync
  bool forza = false;  // --force: replace a description that differs
};

// `nome` inside `dir`, as the user would type it: the bare name in ".".
std::string in_cartella(const std::string& dir, const std::string& nome);

// `s` quoted for a POSIX shell when it holds anything but plain characters.
std::string per_shell(const std::string& s);

// Why `path` cannot be read as an input file, or "" when it can. A
// directory is accepted only with `cartella_ammessa`.
std::string non_leggibile(const std::string& path, bool cartella_ammessa);

// Makes sure `dir` exists as a directory, creating it (and its parents)
// when missing. On failure says why on `err` and returns false.
bool prepara_cartella(const std::string& dir, std::ostream& err);

// A wrong command line: one line on standard error and the hint to --help.
int errore_di_uso(const std::string& messaggio);

// The project's version, as --version prints it.
const char* program_version();

}  // namespace sc
