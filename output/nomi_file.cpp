#include "output/nomi_file.h"

#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace sc {

std::string nome_file(FileScenario f, const std::string& nome_scenario, const std::string& numero_treno) {
  switch (f) {
    case FileScenario::linea_txt: return nome_scenario + "_linea.txt";
    case FileScenario::treno_txt: return nome_scenario + "_" + numero_treno + "-.txt";
    case FileScenario::scheda: return nome_scenario + "_" + numero_treno + "_" + "scheda_treno.txt";
    case FileScenario::rallentamenti: return nome_scenario + "_" + numero_treno + "_" + "rallentamenti.txt";
    case FileScenario::note: return nome_scenario + "_" + numero_treno + "_" + "note.txt";
    case FileScenario::linea_dat: return nome_file_compilato(FileCompilato::tracciato, nome_scenario, numero_treno);
    case FileScenario::elementi_sim: return nome_file_compilato(FileCompilato::elementi, nome_scenario, numero_treno);
    case FileScenario::celle_dat: return nome_file_compilato(FileCompilato::celle, nome_scenario, numero_treno);
  }
  throw std::logic_error("unknown file kind");
}

std::string percorso_file(const std::string& dir, FileScenario f, const std::string& nome_scenario,
                          const std::string& numero_treno) {
  return dir + "/" + nome_file(f, nome_scenario, numero_treno);
}

FileScenario file_compilato(CompiledKind kind) {
  switch (kind) {
    case CompiledKind::tracciato: return FileScenario::linea_dat;
    case CompiledKind::elementi: return FileScenario::elementi_sim;
    case CompiledKind::celle: return FileScenario::celle_dat;
  }
  throw std::logic_error("unknown compiled file kind");
}

std::string cartella_programma() {
  // readlink does not terminate the text and truncates silently: grow the
  // buffer until the whole target fits.
  std::vector<char> buf(256);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) throw std::system_error(errno, std::generic_category(), "cannot resolve /proc/self/exe");
    if (static_cast<size_t>(n) < buf.size()) {
      std::string exe(buf.data(), static_cast<size_t>(n));
      const size_t slash = exe.rfind('/');
      if (slash == std::string::npos) throw std::runtime_error("executable path without a directory: " + exe);
      // The root directory keeps its one separator ("//name" is still a
      // valid path).
      return slash == 0 ? std::string("/") : exe.substr(0, slash);
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace sc
