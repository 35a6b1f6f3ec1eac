// decompile: a compiled scenario back to a line and a train description,
// checked by compiling them in memory before anything is written.
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/cli_comandi.h"
#include "cli/commands.h"
#include "compiler/testo.h"
#include "decompile/decompila.h"
#include "format/compiled_decode.h"
#include "format/nomi_compilati.h"
#include "output/file_output.h"
#include "output/nomi_file.h"

namespace sc {
namespace {

namespace fs = std::filesystem;

struct Ingressi {
  std::optional<fs::path> file[3];  // by FileCompilato: celle, elementi, tracciato
};

// One directory holding one scenario, or its files named by their suffixes;
// the track plan is optional. std::invalid_argument on anything else.
Ingressi trova_ingressi(const std::vector<std::string>& nomi) {
  const ScenarioFiles f = find_scenario_files(std::vector<fs::path>(nomi.begin(), nomi.end()), false);
  Ingressi in;
  in.file[static_cast<int>(FileCompilato::celle)] = f.celle;
  in.file[static_cast<int>(FileCompilato::elementi)] = f.elementi;
  in.file[static_cast<int>(FileCompilato::tracciato)] = f.tracciato;
  return in;
}

bool stesso_file(const std::string& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

// The compiled files named by the arguments, read and decoded (so a file
// without the layout of its kind is named here, as inspect and plot do).
// The exit status when one cannot be used.
std::optional<int> leggi_compilati(const std::vector<std::string>& ingressi, Ingressi& in,
                                   std::string (&dati)[3], std::ostream& err) {
  for (const std::string& ingresso : ingressi) {
    if (const std::string motivo = non_leggibile(ingresso, true); !motivo.empty()) {
      err << nome_programma << ": " << motivo << std::endl;
      return stato_uso;
    }
  }
  try {
    in = trova_ingressi(ingressi);
    for (int i = 0; i < 3; ++i) {
      if (!in.file[i]) continue;
      try {
        dati[i] = leggi_file_compilato(*in.file[i], static_cast<FileCompilato>(i));
        switch (static_cast<FileCompilato>(i)) {
          case FileCompilato::celle: decodifica_celle(dati[i]); break;
          case FileCompilato::elementi: decodifica_elementi(dati[i]); break;
          case FileCompilato::tracciato: decodifica_tracciato(dati[i]); break;
        }
      } catch (const DecodeError& e) {
        throw DecodeError(e.offset(), in.file[i]->string() + ": " + e.what());
      }
    }
  } catch (const std::exception& e) {
    err << nome_programma << ": " << e.what() << std::endl;
    return stato_uso;
  }
  return std::nullopt;
}

// The exit status when a description to write would replace an input, or
// a file already there without --force.
std::optional<int> uscite_bloccate(const std::vector<std::string>& uscite, const Ingressi& in,
                                   bool sostituisci, std::ostream& err) {
  for (const std::string& uscita : uscite) {
    for (const std::optional<fs::path>& f : in.file) {
      if (f && stesso_file(uscita, *f)) {
        err << nome_programma << ": \"" << senza_controlli(uscita)
            << "\" would replace an input; choose another --out directory" << std::endl;
        return stato_uso;
      }
    }
    std::error_code ec;
    if (!sostituisci && (fs::exists(uscita, ec) || ec)) {
      err << nome_programma << ": \"" << senza_controlli(uscita)
          << "\" already exists; nothing written (give --force to replace it, or --out DIR for "
             "another directory)"
          << std::endl;
      return stato_file_non_scritto;
    }
  }
  return std::nullopt;
}

// What the decompile could not explain or reproduce. Texts that may quote
// names from the element table: no control character reaches the terminal.
void riferisci_differenze(const decompila::Decompilazione& d, std::ostream& err) {
  for (const std::string& s : d.inspiegati)
    err << nome_programma << ": " << senza_controlli(s) << "\n";
  if (d.differenza) {
    err << nome_programma << ": the written descriptions do not compile to the input: "
        << senza_controlli(*d.differenza) << "\n";
  }
  for (const std::string& f : d.faults) {
    err << nome_programma << ": compiling the descriptions records " << senza_controlli(f) << "\n";
  }
  err << std::flush;
}

}  // namespace

int comando_decompile(const OpzioniDecompile& o, std::ostream& out, std::ostream& err) {
  Ingressi in;
  std::string dati[3];
  if (const auto stato = leggi_compilati(o.ingressi, in, dati, err)) return *stato;
  const bool senza_tracciato = !in.file[static_cast<int>(FileCompilato::tracciato)];

  decompila::Decompilazione d;
  try {
    d = decompila::decompila(
        {dati[static_cast<int>(FileCompilato::celle)],
         dati[static_cast<int>(FileCompilato::elementi)],
         senza_tracciato
             ? std::nullopt
             : std::optional<std::string_view>(dati[static_cast<int>(FileCompilato::tracciato)])});
  } catch (const DecodeError& e) {  // checked above; kept for safety
    err << nome_programma << ": " << e.what() << std::endl;
    return stato_uso;
  }

  if (d.nome_scenario.empty() || d.numero_treno.empty() ||
      d.nome_scenario.find('/') != std::string::npos ||
      d.numero_treno.find('/') != std::string::npos) {
    err << nome_programma << ": the scenario name \"" << senza_controlli(d.nome_scenario)
        << "\" and train number \"" << senza_controlli(d.numero_treno)
        << "\" of the element table cannot name the description files; nothing written"
        << std::endl;
    return stato_con_errori;
  }
  const std::string linea =
      in_cartella(o.out, nome_file(FileTesto::linea_txt, d.nome_scenario, d.numero_treno));
  const std::string treno =
      in_cartella(o.out, nome_file(FileTesto::treno_txt, d.nome_scenario, d.numero_treno));
  if (const auto stato = uscite_bloccate({linea, treno}, in, o.sostituisci, err)) return *stato;

  riferisci_differenze(d, err);
  if (!prepara_cartella(o.out, err)) return stato_file_non_scritto;
  if (auto motivo = sostituisci_files({{linea, {d.linea}}, {treno, {d.treno}}})) {
    err << nome_programma << ": " << senza_controlli(*motivo) << std::endl;
    return stato_file_non_scritto;
  }
  out << "wrote " << senza_controlli(linea) << "\nwrote " << senza_controlli(treno) << "\n";
  if (d.identico() && d.inspiegati.empty()) {
    out << "They compile to the same " << (senza_tracciato ? "two" : "three")
        << " files; edit them, then:\n  " << nome_programma << " compile " << per_shell(linea)
        << " " << per_shell(treno) << (senza_tracciato ? " --no-plan" : "") << std::endl;
    return stato_ok;
  }
  out << std::flush;
  err << nome_programma << ": "
      << (d.inspiegati.empty()
              ? "the decompiler failed to reproduce the input (a fault of the decompiler)"
              : "the input holds what no description gives (damaged or edited by hand)")
      << "; the descriptions written hold all that could be recovered" << std::endl;
  return stato_con_errori;
}

}  // namespace sc
