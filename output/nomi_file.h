// File naming: every file of a run is the program directory, one "/" and a
// name built from the scenario identity and a fixed suffix. Names are
// rebuilt from the identity every time they are needed.
#pragma once

#include <string>

#include "compiler/memorizza_percorso.h"

namespace sc {

enum class FileScenario {
  linea_txt,      // line description: nome_scenario + "_linea.txt"
  treno_txt,      // train description: nome_scenario + "_" + numero_treno + "-.txt"
  scheda,         // train sheet
  rallentamenti,  // speed-restriction order
  note,           // scenario notes
  linea_dat,      // track plan: nome_scenario + "_linea.dat"
  elementi_sim,   // compiled element table
  celle_dat,      // compiled cells
};

// The name after the separator, e.g. "Corvale_Pravena AV_409-.txt".
std::string nome_file(FileScenario f, const std::string& nome_scenario, const std::string& numero_treno);

// `dir` + "/" + nome_file(...). `dir` has no trailing separator.
std::string percorso_file(const std::string& dir, FileScenario f, const std::string& nome_scenario,
                          const std::string& numero_treno);

// The file that holds a compiled file of the given kind.
FileScenario file_compilato(CompiledKind kind);

// The directory that holds the running executable (resolved from
// /proc/self/exe), without a trailing separator. Throws std::system_error
// when it cannot be resolved.
std::string cartella_programma();

}  // namespace sc
