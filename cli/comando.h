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

// A wrong command line: one line on standard error and the hint to --help.
int errore_di_uso(const std::string& messaggio);

// Runs the helper program scenario-compiler-`nome`, beside this program,
// with the same arguments. Returns only when it cannot be run, after saying
// why on standard error: the usage status.
int esegui_ausiliario(const std::string& nome, char** argv);

}  // namespace sc
