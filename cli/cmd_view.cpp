// view: runs the viewer, a program of its own beside this one
// (scenario-compiler-view), so that no other command loads the window
// libraries for it.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_comandi.h"

namespace sc {

int comando_view(int argc, char** argv, std::ostream& err) {
  std::error_code ec;
  const std::filesystem::path io = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) {
    err << nome_programma << ": view: cannot find the program's own directory: " << ec.message() << std::endl;
    return stato_uso;
  }
  const std::string aiutante = (io.parent_path() / "scenario-compiler-view").string();
  std::vector<char*> args{const_cast<char*>(aiutante.c_str())};
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  ::execv(aiutante.c_str(), args.data());
  err << nome_programma << ": view: cannot run " << aiutante << ": " << std::strerror(errno) << std::endl;
  return stato_uso;
}

}  // namespace sc
