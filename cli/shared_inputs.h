// What the programs' commands share: the embedded run's options, paths as
// the user types them, the checks of input files and output directories,
// the wording of a usage error.
#pragma once

#include <iosfwd>
#include <string>

#include "output/exit_statuses.h"
#include "output/file_output.h"
#include "platform/read_file.h"

namespace sc {

// The embedded run's options.
struct RunOptions {
  WriteMode modo;      // --sync
  bool force = false;  // --force: replace a description that differs
};

// `nome` inside `dir`, as the user would type it: the bare name in ".".
std::string in_dir(const std::string& dir, const std::string& nome);

// `s` quoted for a POSIX shell (single quotes) when it holds anything but
// plain characters. A character that no terminal may be sent is written as
// terminal_text escapes it (output/terminal_text.h).
std::string shell_quoted(const std::string& s);

// Why `path` cannot be read as an input file, or "" when it can. A
// directory is accepted only with `dir_allowed`. The file is looked at
// through a descriptor opened without waiting, so a pipe or a device in its
// place never blocks.
std::string unreadable(const std::string& path, bool dir_allowed);

// The most a description file may hold: a larger one is not read at all.
inline constexpr size_t description_limit = size_t{1} << 30;

// Why the input file at `path` could not be read, in the words of
// unreadable(), from the outcome `r` of reading it; "" when it was read.
std::string read_failure(const std::string& path, const platform::FileRead& r, bool dir_allowed);

// When `path` (a directory of compiled files, or a file in one) lies in a
// directory that an interrupted run left with a set of files half
// replaced, the message a reader refuses it with; "" otherwise.
std::string half_replaced(const std::string& path);

// Whether something stands at `path` that writing a file there would
// replace: any file, a symbolic link (even one that points nowhere), or
// what cannot be looked at.
bool in_the_way(const std::string& path);

// Makes sure `dir` exists as a directory, creating it (and its parents)
// when missing. On failure says why on `err` and returns false.
bool prepare_dir(const std::string& dir, std::ostream& err);

// A wrong command line: one line on standard error and the hint to --help.
int usage_error(const std::string& message);

// The project's version.
const char* program_version();

// What --version prints: the program's name and version, then the layout
// version of each compiled file it writes and reads, one line each.
std::string version_text();

}  // namespace sc
