#include "cli/compila_descrizioni.h"
#include "compiler/fault_codes.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <string>
#include <utility>

#include "cli/identita.h"
#include "compiler/testo.h"
#include "output/diagnostics.h"

namespace sc {
namespace {

// The first bytes of a description, for a look at what it holds.
std::string inizio_file(const DescriptionText& d) {
  return d.bytes ? d.bytes->substr(0, 64 * 1024) : std::string();
}

// A line description that cannot be read as one (no "[generale]", no line
// length) while the train description holds the line's keys and the line
// description the train's: the two arguments were given the wrong way round.
void suggerisci_scambio(FaultLog& log, const DescriptionText& linea, const DescriptionText& treno) {
  if (log.empty()) return;
  const int32_t codice = log.all().back().codice;
  if (codice != fault_code::no_general_section && codice != fault_code::no_line_length) return;
  const std::string l = minuscole_1252(inizio_file(linea)), t = minuscole_1252(inizio_file(treno));
  const bool linea_da_treno =
      contiene(l, "segnale") || contiene(l, "stazione") || contiene(l, "velocit");
  const bool treno_da_linea = contiene(t, "lunghezza percorso") || contiene(t, "pendenza");
  if (!linea_da_treno || !treno_da_linea) return;
  log.aggiungi_richiamo(
      log.all().size() - 1,
      Richiamo{SourceLocation{treno.name, 0, 0, 0, ""},
               "this file holds the line description's keys and \"" + linea.name +
                   "\" the train description's: the LINE and TRAIN arguments look swapped"});
}

// The reserved-slot report as a diagnostic, naming the entry that put
// something in cell 1.
void aggiungi_errore_riservato(FaultLog& log, bool marca) {
  const OriginiCelle::Voce* o = log.origini.di(1);
  std::string m = std::string(testo_errore(marca ? "1250" : "1251")).substr(1) +
                  ": cell 1, at the start of the line, already holds a value from " +
                  (o ? "the " + o->cosa + " of line " + std::to_string(o->where.line)
                     : std::string("an element placed there")) +
                  "; that slot is reserved for the compiled files' " +
                  (marca ? "mark" : "contest code") +
                  ", so place the element further along the line. No compiled file written.";
  Fault f(marca ? fault_code::reserved_mark_slot : fault_code::reserved_code_slot, std::nullopt,
          o ? std::optional<SourceLocation>(o->where) : std::nullopt, std::move(m));
  log.aggiungi_altra(std::move(f));
}

// A train number given beside a file name that says another one.
void avvisa_numero_diverso(const Descrizioni& d, const std::string& nome_scenario, FaultLog& log) {
  if (!d.numero) return;
  if (const auto da_file = identita_da_file_treno(d.treno, d.nome.value_or(nome_scenario));
      da_file && da_file->numero_treno != *d.numero) {
    log.avviso(12, SourceLocation{d.treno, 0, 0, 0, ""},
               "--train " + *d.numero + " differs from the train number " + da_file->numero_treno +
                   " of the file name; the compiled files are named after " + *d.numero);
  }
}

}  // namespace

DescriptionText read_description(const std::string& path) {
  DescriptionText d{path, std::nullopt, Unreadable::no_file};
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return d;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    d.why = Unreadable::cannot_open;
    return d;
  }
  std::ostringstream buf;
  buf << in.rdbuf();
  if (in.bad()) {
    d.why = Unreadable::cannot_read;
    return d;
  }
  d.bytes = std::move(buf).str();
  return d;
}

Compilazione compila_descrizioni(Percorso& p, int32_t modo, const Descrizioni& d, FaultLog& log) {
  avvisa_numero_diverso(d, p.nome_scenario, log);
  const CompileInput in{read_description(d.linea), read_description(d.treno), p.nome_scenario,
                        p.numero_treno, modo, /*read_on=*/true};
  CompileResult r = compile_descriptions(in, std::move(log));
  suggerisci_scambio(r.log, in.line, in.train);
  const Compilazione::Stato stato = r.compilation.stato;
  if (stato == Compilazione::Stato::errore_1250 || stato == Compilazione::Stato::errore_1251) {
    aggiungi_errore_riservato(r.log, stato == Compilazione::Stato::errore_1250);
  }
  p = std::move(r.model);
  log = std::move(r.log);
  return std::move(r.compilation);
}

}  // namespace sc
