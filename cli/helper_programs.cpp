#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>

#include "cli/helpers.h"
#include "cli/shared_inputs.h"
#include "output/exit_statuses.h"
#include "output/terminal_text.h"
#include "output/text_file_names.h"
#include "platform/run_program.h"

namespace sc {

HelperLookup find_helper(const std::string& name, const std::string& needed_by) {
  const std::string program = std::string(program_name) + "-" + name;
  std::string beside;
  try {
    beside = program_dir();
  } catch (const std::exception& e) {
    return {"", needed_by + " needs the helper program \"" + program +
                    "\", and the program's own directory cannot be found: " + e.what()};
  }
  const std::string installed =
      (std::filesystem::path(beside) / ".." / "libexec" / program_name).lexically_normal().string();
  for (const std::string& dir : {beside, installed}) {
    const std::string path = (dir == "/" ? "" : dir) + "/" + program;
    if (platform::is_executable_file(path)) return {path, ""};
  }
  return {"", needed_by + " needs the helper program \"" + program +
                  "\", which was not found beside " + beside + " or in " + installed +
                  "; build it with \"make build\" or install the program"};
}

int run_helper(const std::string& nome, char** argv) {
  const HelperLookup helper = find_helper(nome, nome);
  if (helper.path.empty()) {
    std::cerr << program_name << ": " << terminal_text(helper.problem) << std::endl;
    return status_usage;
  }
  std::cout.flush();
  std::cerr.flush();
  const int errore = platform::run_instead(helper.path, argv);
  std::cerr << program_name << ": cannot run \"" << terminal_text(helper.path)
            << "\": " << std::strerror(errore) << std::endl;
  return status_usage;
}

int helper_without_command(const HelperCommand& c) {
  return usage_error(std::string("this helper program runs only the \"") + c.name +
                     "\" command; run " + program_name + " for the others");
}

}  // namespace sc
