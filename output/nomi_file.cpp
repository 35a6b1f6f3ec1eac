#include "output/nomi_file.h"

#include <unistd.h>
#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

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

std::string cartella_programma() {
  // readlink does not terminate the text and truncates silently: grow the
  // buffer until the whole target fits.
  std::vector<char> buf(256);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0)
      throw std::system_error(errno, std::generic_category(), "cannot resolve /proc/self/exe");
    if (static_cast<size_t>(n) < buf.size()) {
      std::string exe(buf.data(), static_cast<size_t>(n));
      const size_t slash = exe.rfind('/');
      if (slash == std::string::npos)
        throw std::runtime_error("executable path without a directory: " + exe);
      // The root directory keeps its one separator ("//name" is still a
      // valid path).
      return slash == 0 ? std::string("/") : exe.substr(0, slash);
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace sc
