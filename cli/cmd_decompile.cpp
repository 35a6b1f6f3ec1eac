// decompile: a compiled scenario back to a line and a train description,
// checked by compiling them in memory before anything is written.
#include <array>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/shared_inputs.h"
#include "compiler/set_agreement.h"
#include "compiler/text_1252.h"
#include "decompile/decompile.h"
#include "format/compiled_decode.h"
#include "format/compiled_names.h"
#include "output/compiled_read.h"
#include "output/file_output.h"
#include "output/text_file_names.h"

namespace sc {
namespace {

namespace fs = std::filesystem;

struct Inputs {
  std::optional<fs::path> file[3];  // by CompiledKind: celle, elementi, tracciato
  // As decoded, to compare the files with one another.
  std::vector<Cella> celle;
  std::array<Elemento, numero_elementi> elementi{};
  std::optional<int32_t> plan_rows;
};

// One directory holding one scenario, or its files named by their suffixes;
// the track plan is optional. std::invalid_argument on anything else.
Inputs find_inputs(const std::vector<std::string>& names) {
  const ScenarioFiles f =
      find_scenario_files(std::vector<fs::path>(names.begin(), names.end()), false);
  Inputs in;
  in.file[static_cast<int>(CompiledKind::celle)] = f.celle;
  in.file[static_cast<int>(CompiledKind::elementi)] = f.elementi;
  in.file[static_cast<int>(CompiledKind::tracciato)] = f.tracciato;
  return in;
}

bool same_file(const std::string& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

// The compiled files named by the arguments, read and decoded (so a file
// without the layout of its kind is named here, as inspect and plot do).
// The exit status when one cannot be used.
std::optional<int> read_compiled(const std::vector<std::string>& inputs, Inputs& in,
                                 std::string (&dati)[3], std::ostream& err) {
  for (const std::string& input : inputs) {
    for (const std::string& reason : {unreadable(input, true), half_replaced(input)}) {
      if (reason.empty()) continue;
      err << program_name << ": " << reason << std::endl;
      return status_usage;
    }
  }
  try {
    in = find_inputs(inputs);
    for (int i = 0; i < 3; ++i) {
      if (!in.file[i]) continue;
      try {
        dati[i] = read_compiled_file(*in.file[i], static_cast<CompiledKind>(i));
        switch (static_cast<CompiledKind>(i)) {
          case CompiledKind::celle: in.celle = decode_cells(dati[i]); break;
          case CompiledKind::elementi: in.elementi = decode_elements(dati[i]); break;
          case CompiledKind::tracciato: in.plan_rows = decode_plan(dati[i]).rows(); break;
        }
      } catch (const DecodeError& e) {
        throw DecodeError(e.offset(), in.file[i]->string() + ": " + e.what());
      }
    }
  } catch (const std::exception& e) {
    err << program_name << ": " << e.what() << std::endl;
    return status_usage;
  }
  return std::nullopt;
}

// Warns, naming the file, when the files read cannot be of one compile or
// the track plan may be stale; the decompile goes on with them as they are.
void warn_of_mixed_files(const Inputs& in, std::ostream& err) {
  const auto name = [&](CompiledKind k) {
    const std::optional<fs::path>& f = in.file[static_cast<int>(k)];
    return f ? f->string() : std::string();
  };
  std::vector<std::string> warnings =
      set_disagreements({in.celle, in.elementi, in.plan_rows, name(CompiledKind::celle),
                         name(CompiledKind::elementi), name(CompiledKind::tracciato)});
  const std::optional<fs::path>& plan = in.file[static_cast<int>(CompiledKind::tracciato)];
  if (plan) {
    if (auto stale = stale_plan(*plan, *in.file[static_cast<int>(CompiledKind::celle)]))
      warnings.push_back(*stale);
  }
  for (const std::string& w : warnings) {
    err << program_name << ": warning: the files may not be of one compile: " << unchecked(w)
        << "\n";
  }
  err << std::flush;
}

// The exit status when a description to write would replace an input, or
// a file already there without --force.
std::optional<int> blocked_outputs(const std::vector<std::string>& outputs, const Inputs& in,
                                   bool replace, std::ostream& err) {
  for (const std::string& output : outputs) {
    for (const std::optional<fs::path>& f : in.file) {
      if (f && same_file(output, *f)) {
        err << program_name << ": \"" << unchecked(output)
            << "\" would replace an input; choose another --out directory" << std::endl;
        return status_usage;
      }
    }
    if (!replace && in_the_way(output)) {
      err << program_name << ": \"" << unchecked(output)
          << "\" already exists; nothing written (give --force to replace it, or --out DIR for "
             "another directory)"
          << std::endl;
      return status_file_not_written;
    }
  }
  return std::nullopt;
}

// What the decompile could not explain or reproduce. Texts that may quote
// names from the element table: no control character reaches the terminal.
void report_differences(const decompile::Decompilation& d, std::ostream& err) {
  for (const std::string& s : d.unexplained) err << program_name << ": " << unchecked(s) << "\n";
  if (d.difference) {
    err << program_name
        << ": the written descriptions do not compile to the input: " << unchecked(*d.difference)
        << "\n";
  }
  for (const std::string& f : d.faults) {
    err << program_name << ": compiling the descriptions records " << unchecked(f) << "\n";
  }
  err << std::flush;
}

}  // namespace

int cmd_decompile(const DecompileOptions& o, std::ostream& out, std::ostream& err) {
  Inputs in;
  std::string dati[3];
  if (const auto status = read_compiled(o.inputs, in, dati, err)) return *status;
  warn_of_mixed_files(in, err);
  const bool without_tracciato = !in.file[static_cast<int>(CompiledKind::tracciato)];

  decompile::Decompilation d;
  try {
    d = decompile::decompile(
        {dati[static_cast<int>(CompiledKind::celle)],
         dati[static_cast<int>(CompiledKind::elementi)],
         without_tracciato
             ? std::nullopt
             : std::optional<std::string_view>(dati[static_cast<int>(CompiledKind::tracciato)])});
  } catch (const DecodeError& e) {  // checked above; kept for safety
    err << program_name << ": " << e.what() << std::endl;
    return status_usage;
  }

  if (d.nome_scenario.empty() || d.numero_treno.empty() ||
      d.nome_scenario.find('/') != std::string::npos ||
      d.numero_treno.find('/') != std::string::npos) {
    err << program_name << ": the scenario name \"" << unchecked(d.nome_scenario)
        << "\" and train number \"" << unchecked(d.numero_treno)
        << "\" of the element table cannot name the description files; nothing written"
        << std::endl;
    return status_with_errors;
  }
  const std::string linea =
      in_dir(o.out, nome_file(TextFileKind::linea_txt, d.nome_scenario, d.numero_treno));
  const std::string treno =
      in_dir(o.out, nome_file(TextFileKind::treno_txt, d.nome_scenario, d.numero_treno));
  if (const auto status = blocked_outputs({linea, treno}, in, o.replace, err)) return *status;

  report_differences(d, err);
  if (!prepare_dir(o.out, err)) return status_file_not_written;
  if (auto reason = replace_files({{linea, {d.linea}}, {treno, {d.treno}}})) {
    err << program_name << ": " << unchecked(*reason) << std::endl;
    return status_file_not_written;
  }
  out << "wrote " << unchecked(linea) << "\nwrote " << unchecked(treno) << "\n";
  if (d.identical() && d.unexplained.empty()) {
    out << "They compile to the same " << (without_tracciato ? "two" : "three")
        << " files; edit them, then:\n  " << program_name << " compile " << shell_quoted(linea)
        << " " << shell_quoted(treno) << (without_tracciato ? " --no-plan" : "") << std::endl;
    return status_ok;
  }
  out << std::flush;
  err << program_name << ": "
      << (d.unexplained.empty()
              ? "the decompiler failed to reproduce the input (a fault of the decompiler)"
              : "the input holds what no description gives (damaged or edited by hand)")
      << "; the descriptions written hold all that could be recovered" << std::endl;
  return status_with_errors;
}

}  // namespace sc
