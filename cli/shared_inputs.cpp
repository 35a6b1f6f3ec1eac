#include "cli/shared_inputs.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <ostream>
#include <system_error>

#include "format/compiled_names.h"
#include "platform/read_file.h"

#ifndef SC_VERSION
#error "SC_VERSION must be defined by the build (the project's version)"
#endif

namespace sc {

std::string in_dir(const std::string& dir, const std::string& nome) {
  if (dir.empty() || dir == ".") return nome;
  return dir.back() == '/' ? dir + nome : dir + "/" + nome;
}

std::string shell_quoted(const std::string& s) {
  const bool simple = !s.empty() && s.find_first_not_of(
                                        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                        "0123456789_-./:=+,@%") == std::string::npos;
  if (simple) return s;
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string unreadable(const std::string& path, bool dir_allowed) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    const int e = dir_allowed ? platform::directory_access(path) : 0;
    if (dir_allowed && e == 0) return "";
    if (dir_allowed) return "cannot read \"" + path + "\": " + std::strerror(e);
    return "\"" + path + "\" is a directory, not a file";
  }
  // A pipe, a device or a socket could block or never end: only regular
  // files are read.
  if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
    return "\"" + path + "\" is not a regular file";
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot read \"" + path + "\": " + std::strerror(errno);
  return "";
}

std::string half_replaced(const std::string& path) {
  std::error_code ec;
  std::string dir = path;
  if (!std::filesystem::is_directory(path, ec)) {
    dir = std::filesystem::path(path).parent_path().string();
    if (dir.empty()) dir = ".";
  }
  return unfinished_set_in(dir).value_or("");
}

bool in_the_way(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::symlink_status(path, ec);
  return std::filesystem::exists(st) || st.type() == std::filesystem::file_type::none;
}

bool prepare_dir(const std::string& dir, std::ostream& err) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::is_directory(dir, ec)) return true;
  if (fs::exists(dir, ec)) {
    err << program_name << ": cannot write into \"" << dir << "\": it is not a directory"
        << std::endl;
    return false;
  }
  fs::create_directories(dir, ec);
  if (ec) {
    err << program_name << ": cannot create the directory \"" << dir << "\": " << ec.message()
        << std::endl;
    return false;
  }
  return true;
}

int usage_error(const std::string& message) {
  std::cerr << program_name << ": " << message << "\nRun with --help for more information."
            << std::endl;
  return status_usage;
}

const char* program_version() { return SC_VERSION; }

std::string version_text() {
  std::string t =
      std::string(program_name) + " " + program_version() + "\ncompiled files written and read:";
  for (const CompiledName& n : compiled_names) {
    t += "\n  " + std::string(n.nome) + " (" + n.form + "): layout " + std::to_string(n.layout);
  }
  return t;
}

}  // namespace sc
