// scenario-compiler-view: the window of `scenario-compiler view`, a program
// of its own so that the other commands never load the window libraries.
#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/shared_inputs.h"
#include "format/compiled_decode.h"
#include "output/terminal_text.h"
#include "viewer/window.h"

namespace {

constexpr const char* usage =
    "Usage: scenario-compiler view LINE TRAIN [--name NAME] [--train NUMBER]\n"
    "       scenario-compiler view DIR_OR_FILES...\n"
    "\n"
    "A window with the plan view and the profile of a scenario, compiled in memory\n"
    "from its two descriptions (nothing is written unless \"Compile files\" is pressed),\n"
    "or read from a directory holding its compiled files (or the three files).\n"
    "It compiles and redraws whenever a description is saved, keeping the zoom, and\n"
    "lists the faults and warnings of the compile in the order check prints them;\n"
    "a click on one goes to its position (or to the position of its entry).\n"
    "\n"
    "  Profile: wheel or + and - zoom, drag or Left and Right pan, Home shows the\n"
    "  whole line, a click shows what the cell holds and the entries (FILE:LINE)\n"
    "  that put it there; speed boards show their speeds and indication boards\n"
    "  their texts where there is room. Plan view: a click goes to that point.\n"
    "  The km box goes to a position in kilometres.\n"
    "\n"
    "Options:\n"
    "  --name NAME      scenario name (nome_scenario), else from the file names\n"
    "  --train NUMBER   train number (numero_treno), else from the file names\n"
    "  --control        read commands from standard input (goto KM, window FROM TO,\n"
    "                   select CELL, fault N (the Nth line of the pane), compile, quit)\n"
    "                   and report on standard output\n"
    "  --version        print the version and the compiled files' layouts\n"
    "\n"
    "Exit status: 0 the window was closed; 2 usage error, a file that cannot be read,\n"
    "or no display.";

int errore(const std::string& m, bool help = false) {
  std::cerr << sc::program_name << ": view: " << sc::terminal_text(m) << std::endl;
  if (help) std::cerr << "Run with --help for more information." << std::endl;
  return sc::status_usage;
}

}  // namespace

int main(int argc, char** argv) {
  sc::view::Source s;
  sc::view::WindowOptions o;
  std::vector<std::string> positional;
  // Run by `scenario-compiler view ...` with the same arguments: "view" first.
  const int first = argc > 1 && std::string(argv[1]) == "view" ? 2 : 1;
  for (int i = first; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << usage << std::endl;
      return sc::status_ok;
    }
    if (a == "--version") {
      std::cout << sc::version_text() << std::endl;
      return sc::status_ok;
    }
    if (a == "--control") {
      o.check = true;
    } else if ((a == "--name" || a == "--train") && i + 1 < argc) {
      (a == "--name" ? s.nome : s.numero) = argv[++i];
    } else if (!a.empty() && a[0] == '-') {
      return errore("unknown option \"" + a + "\"", true);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.empty())
    return errore("give LINE and TRAIN, or a directory of compiled files", true);
  const bool compiled = positional.size() != 2 || sc::recognise_file(positional[0]).has_value() ||
                        std::filesystem::is_directory(positional[0]);
  if (compiled) {
    s.compiled = positional;
    for (const std::string& p : positional) {
      if (const std::string m = sc::unreadable(p, true); !m.empty()) return errore(m);
      if (const std::string m = sc::half_replaced(p); !m.empty()) return errore(m);
    }
    try {
      std::vector<std::filesystem::path> inputs(positional.begin(), positional.end());
      sc::find_scenario_files(inputs);
    } catch (const std::exception& e) {
      return errore(e.what());
    }
  } else {
    s.linea = positional[0];
    s.treno = positional[1];
    for (const std::string& p : positional) {
      if (const std::string m = sc::unreadable(p, false); !m.empty()) return errore(m);
    }
  }

  // FLTK ends the process when it cannot open its display: it is opened
  // here first.
  const char* display = std::getenv("DISPLAY");
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) {
    return errore(display == nullptr || *display == '\0'
                      ? "the viewer needs a display, and DISPLAY is not set"
                      : std::string("the viewer needs a display, and \"") + display +
                            "\" cannot be opened");
  }
  fl_open_display(d);
  return sc::view::run_window(s, o);
}
