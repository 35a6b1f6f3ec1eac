// File naming: every file of a run is the program directory, one "/" and a
// name built from the scenario identity and a fixed suffix. Names are
// rebuilt from the identity every time they are needed.
#pragma once

#include <string>

#include "format/compiled_names.h"

namespace sc {

// The five text files of a scenario; the compiled files are named by
// format/compiled_names.h.
enum class TextFileKind {
  linea_txt,      // line description: nome_scenario + "_linea.txt"
  treno_txt,      // train description: nome_scenario + "_" + numero_treno + "-.txt"
  scheda,         // train sheet
  rallentamenti,  // speed-restriction order
  note,           // scenario notes
};

// The name after the separator, e.g. "Corvale_Pravena AV_409-.txt"; a
// compiled file's by compiled_file_name.
std::string nome_file(TextFileKind f, const std::string& nome_scenario,
                      const std::string& numero_treno);
std::string nome_file(CompiledKind f, const std::string& nome_scenario,
                      const std::string& numero_treno);

// `dir` + "/" + nome_file(...). `dir` has no trailing separator.
std::string percorso_file(const std::string& dir, TextFileKind f, const std::string& nome_scenario,
                          const std::string& numero_treno);
std::string percorso_file(const std::string& dir, CompiledKind f, const std::string& nome_scenario,
                          const std::string& numero_treno);

// The directory that holds the running executable (resolved from
// /proc/self/exe), without a trailing separator. Throws std::system_error
// when it cannot be resolved.
std::string program_dir();

}  // namespace sc
