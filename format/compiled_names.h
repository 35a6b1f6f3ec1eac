// The three compiled files and their file-name rule: one table that names
// them, recognises them by name, and tells messages what they are.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sc {

// The three compiled files.
enum class CompiledKind { celle, elementi, tracciato };

// The file-name rule of the compiled files: NAME + ("_" + NUMBER when the
// file is the train's) + suffix. Recognised by the suffix in this order:
// "_linea.dat" first, since it also ends in ".dat".
struct CompiledName {
  CompiledKind tipo;
  const char* suffix;
  bool of_train;     // the train number is part of the name
  const char* nome;  // as messages name the file
  const char* form;  // the name's form, for messages
  // The version of the file's layout this program writes and reads (the
  // files carry no header: --version tells it).
  int layout;
};
inline constexpr CompiledName compiled_names[] = {
    {CompiledKind::tracciato, "_linea.dat", false, "track plan", "NAME_linea.dat", 1},
    {CompiledKind::elementi, ".sim", true, "element table", "NAME_NUMBER.sim", 1},
    {CompiledKind::celle, ".dat", true, "cells", "NAME_NUMBER.dat", 1},
};

// The row of `tipo` in compiled_names.
const CompiledName& compiled_name(CompiledKind tipo);

// The file name of a compiled file of scenario `nome_scenario`, train
// `numero_treno`.
std::string compiled_file_name(CompiledKind tipo, const std::string& nome_scenario,
                               const std::string& numero_treno);

// The kind of a compiled file from its name, by compiled_names. Nothing for
// any other name.
std::optional<CompiledKind> recognise_file(std::string_view nome);

// The same for a path given by the user: std::invalid_argument naming the
// path and the endings of a compiled file's name when it has none of them.
CompiledKind recognise_file_or_throw(const std::filesystem::path& file);

// "cells", "element table", "track plan".
const char* compiled_file_name(CompiledKind tipo);

// The compiled files of one scenario; the track plan absent only where it
// may be left out.
struct ScenarioFiles {
  std::filesystem::path celle;                     // NAME_NUMBER.dat
  std::filesystem::path elementi;                  // NAME_NUMBER.sim
  std::optional<std::filesystem::path> tracciato;  // NAME_linea.dat
};

// The files of one scenario from what the user gives: one directory, or the
// files themselves, recognised by the endings of their names.
// - A directory must hold exactly one element table NAME_NUMBER.sim; the
//   cells file is NAME_NUMBER.dat beside it, the track plan the
//   NAME_linea.dat whose NAME_ begins NAME_NUMBER (the longest such NAME).
//   Other files are passed over.
// - Files: each recognised by its name, none of a kind twice, no directory
//   among them, every kind present.
// The track plan may be missing only when `plan_required` is false.
// std::invalid_argument naming the files on anything else,
// std::runtime_error when the directory cannot be listed.
ScenarioFiles find_scenario_files(const std::vector<std::filesystem::path>& inputs,
                                  bool plan_required);

// When the track plan `plan` was last written well before the cells file
// `celle` (more than 10 s: one compile writes them within moments, and a
// compile without the plan leaves an existing plan as it was), the warning
// that says it may be stale; otherwise nothing.
std::optional<std::string> stale_plan(const std::filesystem::path& plan,
                                      const std::filesystem::path& celle);

}  // namespace sc
