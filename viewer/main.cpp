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

#include "cli/cli_comandi.h"
#include "format/compiled_decode.h"
#include "viewer/finestra.h"

namespace {

constexpr const char* uso =
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
    "\n"
    "Exit status: 0 the window was closed; 2 usage error, a file that cannot be read,\n"
    "or no display.";

int errore(const std::string& m, bool aiuto = false) {
  std::cerr << sc::nome_programma << ": view: " << m << std::endl;
  if (aiuto) std::cerr << "Run with --help for more information." << std::endl;
  return sc::stato_uso;
}

}  // namespace

int main(int argc, char** argv) {
  sc::vista::Sorgente s;
  sc::vista::OpzioniFinestra o;
  std::vector<std::string> posizionali;
  // Run by `scenario-compiler view ...` with the same arguments: "view" first.
  const int primo = argc > 1 && std::string(argv[1]) == "view" ? 2 : 1;
  for (int i = primo; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << uso << std::endl;
      return sc::stato_ok;
    }
    if (a == "--control") {
      o.controllo = true;
    } else if ((a == "--name" || a == "--train") && i + 1 < argc) {
      (a == "--name" ? s.nome : s.numero) = argv[++i];
    } else if (!a.empty() && a[0] == '-') {
      return errore("unknown option \"" + a + "\"", true);
    } else {
      posizionali.push_back(a);
    }
  }
  if (posizionali.empty())
    return errore("give LINE and TRAIN, or a directory of compiled files", true);
  const bool compilati = posizionali.size() != 2 ||
                         sc::riconosci_file(posizionali[0]).has_value() ||
                         std::filesystem::is_directory(posizionali[0]);
  if (compilati) {
    s.compilati = posizionali;
    for (const std::string& p : posizionali) {
      if (const std::string m = sc::non_leggibile(p, true); !m.empty()) return errore(m);
    }
    try {
      std::vector<std::filesystem::path> ingressi(posizionali.begin(), posizionali.end());
      sc::trova_file_scenario(ingressi);
    } catch (const std::exception& e) {
      return errore(e.what());
    }
  } else {
    s.linea = posizionali[0];
    s.treno = posizionali[1];
    for (const std::string& p : posizionali) {
      if (const std::string m = sc::non_leggibile(p, false); !m.empty()) return errore(m);
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
  return sc::vista::esegui_finestra(s, o);
}
