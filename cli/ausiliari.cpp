#include <cerrno>
#include <cstring>
#include <exception>
#include <iostream>

#include "cli/helpers.h"
#include "output/nomi_file.h"
#include "output/stati_uscita.h"
#include "platform/run_program.h"

namespace sc {

int esegui_ausiliario(const std::string& nome, char** argv) {
  std::string path;
  try {
    path = cartella_programma() + "/" + nome_programma + "-" + nome;
  } catch (const std::exception& e) {
    std::cerr << nome_programma << ": cannot find the program's directory: " << e.what()
              << std::endl;
    return stato_uso;
  }
  std::cout.flush();
  std::cerr.flush();
  const int errore = platform::run_instead(path, argv);
  std::cerr << nome_programma << ": cannot run \"" << path << "\": " << std::strerror(errore)
            << std::endl;
  return stato_uso;
}

}  // namespace sc
