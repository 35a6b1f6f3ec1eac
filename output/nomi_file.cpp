#include "output/nomi_file.h"

#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "platform/self_path.h"

namespace sc {

std::string nome_file(FileTesto f, const std::string& nome_scenario,
                      const std::string& numero_treno) {
  switch (f) {
    case FileTesto::linea_txt: return nome_scenario + "_linea.txt";
    case FileTesto::treno_txt: return nome_scenario + "_" + numero_treno + "-.txt";
    case FileTesto::scheda: return nome_scenario + "_" + numero_treno + "_" + "scheda_treno.txt";
    case FileTesto::rallentamenti:
      return nome_scenario + "_" + numero_treno + "_" + "rallentamenti.txt";
    case FileTesto::note: return nome_scenario + "_" + numero_treno + "_" + "note.txt";
  }
  throw std::logic_error("unknown file kind");
}

std::string nome_file(FileCompilato f, const std::string& nome_scenario,
                      const std::string& numero_treno) {
  return nome_file_compilato(f, nome_scenario, numero_treno);
}

std::string percorso_file(const std::string& dir, FileTesto f, const std::string& nome_scenario,
                          const std::string& numero_treno) {
  return dir + "/" + nome_file(f, nome_scenario, numero_treno);
}

std::string percorso_file(const std::string& dir, FileCompilato f, const std::string& nome_scenario,
                          const std::string& numero_treno) {
  return dir + "/" + nome_file(f, nome_scenario, numero_treno);
}

std::string cartella_programma() { return platform::executable_folder(); }

}  // namespace sc
