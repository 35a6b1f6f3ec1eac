// The helper programs of scenario-compiler. The main program holds the
// commands that need only the standard library, and the embedded run;
// inspect (JSON), plot (Cairo), view (FLTK, X11) and lsp (JSON) are programs
// of their own, scenario-compiler-inspect, -plot, -view and -lsp, each with
// its own options,
// and the embedded run's status window and error box (FLTK, X11) are shown
// by scenario-compiler-run. The main program knows of each command only its
// name and one-line summary, for its --help, and hands the command to the
// helper with the same arguments.
//
// A helper is looked up beside the running executable, then in the
// installed helper folder PREFIX/libexec/scenario-compiler/, found from
// the executable as <its folder>/../libexec/scenario-compiler.
#pragma once

#include <string>

namespace sc {

struct HelperCommand {
  const char* name;     // the command, and the helper program's suffix
  const char* summary;  // its line in the main program's --help
};

inline constexpr HelperCommand inspect_command{
    "inspect",
    "Show a compiled file (cells .dat, element table .sim, track plan _linea.dat) as text or JSON"};
inline constexpr HelperCommand plot_command{
    "plot",
    "Draw a compiled scenario (plan view and profile) from its directory or its three compiled "
    "files"};
inline constexpr HelperCommand view_command{
    "view",
    "A window with the plan view and profile of a scenario, redrawn whenever a description is "
    "saved (see 'view --help')"};
inline constexpr HelperCommand lsp_command{
    "lsp",
    "A language server for the line and train descriptions, started by an editor (see 'lsp "
    "--help')"};
// The embedded run's status window and error box, which have no command
// of their own.
inline constexpr const char* run_helper_name = "run";

// The helper program scenario-compiler-`name`, looked up as above: its
// path, or when it is not there (or the running executable's folder is
// not known) why, as one sentence that begins with `needed_by` ("inspect
// needs the helper program ..."), without the program's name before it.
struct HelperLookup {
  std::string path;     // empty when not found
  std::string problem;  // why not, when `path` is empty
};
HelperLookup find_helper(const std::string& name, const std::string& needed_by);

// Runs the helper program scenario-compiler-`nome`, found by find_helper,
// with the same arguments. Returns only when it cannot be run, after saying
// why on standard error: the usage status.
int run_helper(const std::string& nome, char** argv);

// The usage error of a helper program run without its command.
int helper_without_command(const HelperCommand& c);

}  // namespace sc
