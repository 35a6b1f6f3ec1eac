// view: the window is the helper program scenario-compiler-view (viewer/),
// which links FLTK and X11 and reads the arguments after "view" itself.
#include "cli/comando.h"

namespace sc {

Comando registra_view(CLI::App& app, char** argv) {
  CLI::App* sub = app.add_subcommand(
      "view",
      "A window with the plan view and profile of a scenario, redrawn whenever a description is saved "
      "(see 'view --help')");
  sub->prefix_command();  // every argument goes to the viewer, --help too
  sub->set_help_flag();
  return {sub, [argv] { return esegui_ausiliario("view", argv); }};
}

}  // namespace sc
