#include "cli/shared_inputs.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <ostream>
#include <system_error>

#include "format/compiled_names.h"
#include "output/terminal_text.h"
#include "platform/read_file.h"

#ifndef SC_VERSION
#error "SC_VERSION must be defined by the build (the project's version)"
#endif

namespace sc {

std::string in_dir(const std::string& dir, const std::string& nome) {
  if (dir.empty() || dir == ".") return nome;
  return dir.back() == '/' ? dir + nome : dir + "/" + nome;
}

std::string shell_quoted(const std::string& text) {
  const std::string s = terminal_text(text);
  const bool simple = !s.empty() && s.find_first_not_of(
                                        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                        "0123456789_-./:=+,@%") == std::string::npos;
  if (simple) return s;
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string read_failure(const std::string& path, const platform::FileRead& r, bool dir_allowed) {
  using Failure = platform::FileRead::Failure;
  const auto cannot_read = [&](int error) {
    return "cannot read \"" + path + "\": " + std::strerror(error);
  };
  // A directory, a pipe or a device that could not be opened is still told
  // as what it is (the name is looked at only for the message).
  std::error_code ec;
  const std::filesystem::file_status st =
      r.failure == Failure::open ? std::filesystem::status(path, ec)
                                 : std::filesystem::file_status(std::filesystem::file_type::none);
  const bool directory = r.directory || std::filesystem::is_directory(st);
  const bool other = std::filesystem::exists(st) && !std::filesystem::is_directory(st) &&
                     !std::filesystem::is_regular_file(st);
  if (directory) {
    if (!dir_allowed) return "\"" + path + "\" is a directory, not a file";
    const int e = platform::directory_access(path);
    return e == 0 ? "" : cannot_read(e);
  }
  if (other) return "\"" + path + "\" is not a regular file";
  switch (r.failure) {
    case Failure::none: return "";
    // A pipe, a device or a socket could block or never end: only regular
    // files are read.
    case Failure::not_regular: return "\"" + path + "\" is not a regular file";
    case Failure::too_large:
      return "\"" + path + "\" is larger than the " + std::to_string(description_limit) +
             " bytes an input file may have";
    case Failure::open:
    case Failure::size:
    case Failure::read: break;
  }
  return cannot_read(r.error);
}

std::string unreadable(const std::string& path, bool dir_allowed) {
  // Limit 0: the file is only checked, not read.
  const platform::FileRead r = platform::read_regular_file(path, 0);
  if (r.failure == platform::FileRead::Failure::too_large) return "";
  return read_failure(path, r, dir_allowed);
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
    err << program_name << ": cannot write into \"" << terminal_text(dir)
        << "\": it is not a directory" << std::endl;
    return false;
  }
  fs::create_directories(dir, ec);
  if (ec) {
    err << program_name << ": cannot create the directory \"" << terminal_text(dir)
        << "\": " << ec.message() << std::endl;
    return false;
  }
  return true;
}

int usage_error(const std::string& message) {
  std::cerr << program_name << ": " << terminal_text(message)
            << "\nRun with --help for more information." << std::endl;
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
