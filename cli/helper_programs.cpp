#include <cerrno>
#include <cstring>
#include <exception>
#include <iostream>

#include "cli/helpers.h"
#include "output/text_file_names.h"
#include "output/exit_statuses.h"
#include "platform/run_program.h"

namespace sc {

int run_helper(const std::string& nome, char** argv) {
  std::string path;
  try {
    path = program_dir() + "/" + program_name + "-" + nome;
  } catch (const std::exception& e) {
    std::cerr << program_name << ": cannot find the program's directory: " << e.what()
              << std::endl;
    return status_usage;
  }
  std::cout.flush();
  std::cerr.flush();
  const int errore = platform::run_instead(path, argv);
  std::cerr << program_name << ": cannot run \"" << path << "\": " << std::strerror(errore)
            << std::endl;
  return status_usage;
}

}  // namespace sc
