// The helper programs beside scenario-compiler. The main program holds the
// commands that need only the standard library; inspect (JSON), plot
// (Cairo), view and the embedded run (FLTK, X11) are programs of their own,
// scenario-compiler-inspect, -plot, -view and -run, each with its own
// options. The main program knows of each only its command's name and
// one-line summary, for its --help, and hands the command to the helper
// with the same arguments.
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
// The embedded run, which has no command of its own.
inline constexpr const char* run_helper_name = "run";

// Runs the helper program scenario-compiler-`nome`, beside this program,
// with the same arguments. Returns only when it cannot be run, after saying
// why on standard error: the usage status.
int run_helper(const std::string& nome, char** argv);

}  // namespace sc
