// The program's name as it prefixes every message, and its exit statuses:
// one table, which --help prints (the short wording) and the README's
// "Faults and exit status" table repeats (the full wording; a test holds
// the two together).
#pragma once

#include <string>

namespace sc {

inline constexpr const char* program_name = "scenario-compiler";

inline constexpr int status_ok = 0;
inline constexpr int status_with_errors = 1;
inline constexpr int status_usage = 2;
inline constexpr int status_reserved_error = 3;
inline constexpr int status_file_not_written = 4;

struct ExitStatus {
  int status;
  const char* brief;  // one line of --help
  const char* text;   // the README's wording
};

inline constexpr ExitStatus exit_statuses[] = {
    {status_ok, "compiled without fault (or the command did its work)",
     "compiled without fault (or the command did its work)"},
    {status_with_errors, "compiled, with faults reported on standard error",
     "compiled with faults (printed; the compiled files are still written, except by `check`), or "
     "the compile "
     "stopped before the cells existed (no compiled file written, earlier ones untouched); "
     "`decompile`: the "
     "input holds what no description gives (the descriptions are written with what could be "
     "recovered)"},
    {status_usage, "usage error, or an input file that cannot be read",
     "usage error (unknown option or command, missing argument, identity that cannot be told), or "
     "an input "
     "file that cannot be read (a missing description, a truncated or malformed compiled file for "
     "`inspect`, "
     "`plot` and `decompile`), or the helper program of `inspect`, `plot` or `view` missing "
     "(beside the program and in `PREFIX/libexec/scenario-compiler/`), or compiled files in a "
     "directory that an interrupted run left with a set half replaced (`inspect`, `plot`, "
     "`decompile`, `view`; see What a run leaves where)"},
    {status_reserved_error,
     "reserved-slot clash (Errore n. 1250 or 1251): no compiled file written",
     "error report \" Errore n. 1250\" or \" Errore n. 1251\": the reserved slots of the compiled "
     "data were "
     "already used (an element placed in cell 1, at the very start of the line); no compiled file "
     "is written "
     "or touched"},
    {status_file_not_written,
     "an output file could not be written, a file is in the way (see --force), or --wait ended",
     "a file could not be written (the message names the file and the reason), or `export` or "
     "`decompile` found a file it would replace without `--force`, or the embedded run found a "
     "description that differs from its own (nothing written), or the wait for another run "
     "writing into the directory ended at `--wait SECONDS` (nothing written)"},
};

// "Exit status:" and one line per status, as --help ends.
std::string exit_statuses_text();

}  // namespace sc
