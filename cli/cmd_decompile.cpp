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
#include "decompile/decompile.h"
#include "decompile/scenario_diff.h"
#include "format/compiled_decode.h"
#include "format/compiled_names.h"
#include "output/compiled_read.h"
#include "output/file_output.h"
#include "output/terminal_text.h"
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
                                 std::string (&dati)[3], OpenCompiled& plan, std::ostream& err) {
  for (const std::string& input : inputs) {
    for (const std::string& reason : {unreadable(input, true), half_replaced(input)}) {
      if (reason.empty()) continue;
      err << program_name << ": " << terminal_text(reason) << std::endl;
      return status_usage;
    }
  }
  try {
    in = find_inputs(inputs);
    for (int i = 0; i < 3; ++i) {
      if (!in.file[i]) continue;
      try {
        switch (static_cast<CompiledKind>(i)) {
          case CompiledKind::celle:
            dati[i] = read_compiled_file(*in.file[i], CompiledKind::celle);
            in.celle = decode_cells(dati[i]);
            break;
          case CompiledKind::elementi:
            dati[i] = read_compiled_file(*in.file[i], CompiledKind::elementi);
            in.elementi = decode_elements(dati[i]);
            break;
          case CompiledKind::tracciato:
            // Kept open and read in pieces: the largest file is never held.
            plan = open_compiled_file(*in.file[i], CompiledKind::tracciato);
            in.plan_rows = PlanFile(plan.reader(*in.file[i]), plan.size).rows();
            break;
        }
      } catch (const DecodeError& e) {
        throw DecodeError(e.offset(), in.file[i]->string() + ": " + e.what());
      }
    }
  } catch (const std::exception& e) {
    err << program_name << ": " << terminal_text(e.what()) << std::endl;
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
    err << program_name << ": warning: the files may not be of one compile: " << terminal_text(w)
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
        err << program_name << ": \"" << terminal_text(output)
            << "\" would replace an input; choose another --out directory" << std::endl;
        return status_usage;
      }
    }
    if (!replace && in_the_way(output)) {
      err << program_name << ": \"" << terminal_text(output)
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
  for (const std::string& s : d.unexplained)
    err << program_name << ": " << terminal_text(s, TextSource::windows_1252) << "\n";
  if (d.difference) {
    err << program_name << ": the written descriptions do not compile to the input: "
        << terminal_text(*d.difference, TextSource::windows_1252) << "\n";
  }
  for (const std::string& f : d.faults) {
    err << program_name << ": compiling the descriptions records "
        << terminal_text(f, TextSource::description) << "\n";
  }
  err << std::flush;
}

}  // namespace

int cmd_decompile(const DecompileOptions& o, std::ostream& out, std::ostream& err) {
  Inputs in;
  std::string dati[3];
  OpenCompiled plan;
  if (const auto status = read_compiled(o.inputs, in, dati, plan, err)) return *status;
  warn_of_mixed_files(in, err);
  const bool without_tracciato = !in.file[static_cast<int>(CompiledKind::tracciato)];

  decompile::Decompilation d;
  try {
    d = decompile::decompile(
        {dati[static_cast<int>(CompiledKind::celle)],
         dati[static_cast<int>(CompiledKind::elementi)],
         without_tracciato
             ? std::nullopt
             : std::optional<decompile::PlanBytes>(decompile::PlanBytes(
                   plan.reader(*in.file[static_cast<int>(CompiledKind::tracciato)]), plan.size))});
  } catch (const DecodeError& e) {  // checked above; kept for safety
    err << program_name << ": " << terminal_text(e.what()) << std::endl;
    return status_usage;
  }

  if (d.nome_scenario.empty() || d.numero_treno.empty() ||
      d.nome_scenario.find('/') != std::string::npos ||
      d.numero_treno.find('/') != std::string::npos) {
    err << program_name << ": the scenario name \""
        << terminal_text(d.nome_scenario, TextSource::windows_1252) << "\" and train number \""
        << terminal_text(d.numero_treno, TextSource::windows_1252)
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
    err << program_name << ": " << terminal_text(*reason) << std::endl;
    return status_file_not_written;
  }
  out << "wrote " << terminal_text(linea) << "\nwrote " << terminal_text(treno) << "\n";
  if (without_tracciato) {
    out << "No track plan was given, so the curves are unknown: the line description has "
           "none.\n";
  }
  // A compile that stopped at a fault placed nothing after it.
  const std::string stopped = d.stopped_at
                                  ? "from a compile that stopped at a fault (no speed from " +
                                        decompile::metres_and_km(*d.stopped_at) +
                                        " to the end, nothing placed after the fault)"
                                  : "";
  if (d.identical() && d.unexplained.empty()) {
    if (d.stopped_at) {
      out << "The cells hold no speed from " << decompile::metres_and_km(*d.stopped_at)
          << " to the end, as the files of a compile that stopped at a fault do: the "
             "descriptions hold what those files kept.\n";
    }
    out << "They compile to the same " << (without_tracciato ? "two" : "three")
        << " files; edit them, then:\n  " << program_name << " compile " << shell_quoted(linea)
        << " " << shell_quoted(treno) << (without_tracciato ? " --no-plan" : "") << std::endl;
    return status_ok;
  }
  out << std::flush;
  err << program_name << ": "
      << (d.stopped_at ? "the input comes " + stopped
          : d.unexplained.empty()
              ? "the decompiler failed to reproduce the input (a fault of the decompiler)"
              : "the input holds what no description gives (damaged or edited by hand)")
      << "; the descriptions written hold all that could be recovered" << std::endl;
  return status_with_errors;
}

}  // namespace sc
