#include "cli/compile_descriptions.h"
#include "compiler/fault_codes.h"

#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "cli/identity.h"
#include "cli/shared_inputs.h"
#include "compiler/text_1252.h"
#include "output/diagnostics.h"
#include "platform/read_file.h"

namespace sc {
namespace {

// The first bytes of a description, for a look at what it holds.
std::string file_start(const DescriptionText& d) {
  return d.bytes ? d.bytes->substr(0, 64 * 1024) : std::string();
}

// A line description that cannot be read as one (no "[generale]", no line
// length) while the train description holds the line's keys and the line
// description the train's: the two arguments were given the wrong way round.
void suggest_swap(FaultLog& log, const DescriptionText& linea, const DescriptionText& treno) {
  if (log.empty()) return;
  const int32_t codice = log.all().back().codice;
  if (codice != fault_code::no_general_section && codice != fault_code::no_line_length) return;
  const std::string l = lowercase_1252(file_start(linea)), t = lowercase_1252(file_start(treno));
  const bool linea_from_treno =
      contains(l, "segnale") || contains(l, "stazione") || contains(l, "velocit");
  const bool treno_from_linea = contains(t, "lunghezza percorso") || contains(t, "pendenza");
  if (!linea_from_treno || !treno_from_linea) return;
  log.add_note(log.all().size() - 1,
               Note{SourceLocation{treno.name, 0, 0, 0, ""},
                    "this file holds the line description's keys and \"" + linea.name +
                        "\" the train description's: the LINE and TRAIN arguments look swapped"});
}

// The reserved-slot report as a diagnostic, naming the entry that put
// something in cell 1.
void add_reserved_error(FaultLog& log, bool mark) {
  const CellOrigins::CellOrigin* o = log.origins.at(1);
  std::string m = std::string(error_text(mark ? "1250" : "1251")).substr(1) +
                  ": cell 1, at the start of the line, already holds a value from " +
                  (o ? "the " + o->what + " of line " + std::to_string(o->where.line)
                     : std::string("an element placed there")) +
                  "; that slot is reserved for the compiled files' " +
                  (mark ? "mark" : "contest code") +
                  ", so place the element further along the line. No compiled file written.";
  Fault f(mark ? fault_code::reserved_mark_slot : fault_code::reserved_code_slot, std::nullopt,
          o ? std::optional<SourceLocation>(o->where) : std::nullopt, std::move(m));
  log.add_other(std::move(f));
}

// A train number given beside a file name that says another one.
void warn_different_number(const Descriptions& d, const std::string& nome_scenario, FaultLog& log) {
  if (!d.numero) return;
  if (const auto from_file = identity_from_treno_file(d.treno, d.nome.value_or(nome_scenario));
      from_file && from_file->numero_treno != *d.numero) {
    log.avviso(12, SourceLocation{d.treno, 0, 0, 0, ""},
               "--train " + *d.numero + " differs from the train number " +
                   from_file->numero_treno +
                   " of the file name; the compiled files are named after " + *d.numero);
  }
}

}  // namespace

DescriptionText read_description(const std::string& path, std::string* reason) {
  using Failure = platform::FileRead::Failure;
  DescriptionText d{path, std::nullopt, Unreadable::no_file};
  platform::FileRead r = platform::read_regular_file(path, description_limit);
  if (reason) *reason = read_failure(path, r, false);
  if (r.failure == Failure::none) {
    d.bytes = std::move(r.bytes);
  } else if (r.failure == Failure::open && (r.error == ENOENT || r.error == ENOTDIR)) {
    d.why = Unreadable::no_file;
  } else {
    d.why = r.failure == Failure::read ? Unreadable::cannot_read : Unreadable::cannot_open;
  }
  return d;
}

Compilation compile_descriptions(Percorso& p, int32_t modo, const Descriptions& d, FaultLog& log) {
  return compile_descriptions(p, modo, d, read_description(d.linea), read_description(d.treno),
                              log);
}

Compilation compile_descriptions(Percorso& p, int32_t modo, const Descriptions& d,
                                 const DescriptionText& linea, const DescriptionText& treno,
                                 FaultLog& log) {
  warn_different_number(d, p.nome_scenario, log);
  const CompileInput in{linea, treno, p.nome_scenario, p.numero_treno, modo, /*read_on=*/true};
  CompileResult r = compile_descriptions(in, std::move(log));
  suggest_swap(r.log, in.line, in.train);
  const Compilation::Result status = r.compilation.status;
  if (status == Compilation::Result::errore_1250 || status == Compilation::Result::errore_1251) {
    add_reserved_error(r.log, status == Compilation::Result::errore_1250);
  }
  p = std::move(r.model);
  log = std::move(r.log);
  return std::move(r.compilation);
}

}  // namespace sc
