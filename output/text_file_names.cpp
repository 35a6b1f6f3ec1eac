#include "output/text_file_names.h"

#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "platform/self_path.h"

namespace sc {

std::string nome_file(TextFileKind f, const std::string& nome_scenario,
                      const std::string& numero_treno) {
  switch (f) {
    case TextFileKind::linea_txt: return nome_scenario + "_linea.txt";
    case TextFileKind::treno_txt: return nome_scenario + "_" + numero_treno + "-.txt";
    case TextFileKind::scheda: return nome_scenario + "_" + numero_treno + "_" + "scheda_treno.txt";
    case TextFileKind::rallentamenti:
      return nome_scenario + "_" + numero_treno + "_" + "rallentamenti.txt";
    case TextFileKind::note: return nome_scenario + "_" + numero_treno + "_" + "note.txt";
  }
  throw std::logic_error("unknown file kind");
}

std::string nome_file(CompiledKind f, const std::string& nome_scenario,
                      const std::string& numero_treno) {
  return compiled_file_name(f, nome_scenario, numero_treno);
}

std::string percorso_file(const std::string& dir, TextFileKind f, const std::string& nome_scenario,
                          const std::string& numero_treno) {
  return dir + "/" + nome_file(f, nome_scenario, numero_treno);
}

std::string percorso_file(const std::string& dir, CompiledKind f, const std::string& nome_scenario,
                          const std::string& numero_treno) {
  return dir + "/" + nome_file(f, nome_scenario, numero_treno);
}

std::string program_dir() { return platform::executable_folder(); }

}  // namespace sc
