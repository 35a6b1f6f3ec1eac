// One command of the command line: its file registers the subcommand with
// its options and returns what runs it once the arguments are parsed.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <iostream>
#include <string>

#include "cli/cli.h"

namespace sc {

struct Comando {
  CLI::App* sub;
  std::function<int()> esegui;
};

Comando registra_export(CLI::App& app);
Comando registra_compile(CLI::App& app, bool solo_controllo);
Comando registra_inspect(CLI::App& app, const Esecutori& e, char** argv);
Comando registra_plot(CLI::App& app, const Esecutori& e, char** argv);
Comando registra_explain(CLI::App& app);
Comando registra_decompile(CLI::App& app);
// view: the helper program scenario-compiler-view parses its own arguments.
Comando registra_view(CLI::App& app, char** argv);

// The help of --sync (the embedded run and compile).
inline constexpr const char* testo_sync =
    "Flush each file and its directory to disk before and after its rename (by default the files are\n"
    "replaced atomically but left to the system to write back, as a copy is)";

// A wrong command line: one line on standard error and the hint to --help.
int errore_di_uso(const std::string& messaggio);

// Runs the helper program scenario-compiler-`nome`, beside this program,
// with the same arguments. Returns only when it cannot be run, after saying
// why on standard error: the usage status.
int esegui_ausiliario(const std::string& nome, char** argv);

}  // namespace sc
