// compile and check: an author's two description files compiled under the
// identity of the options or of the file names. The description files are
// the author's sources: they are only read, on every path.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <ostream>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/compile_descriptions.h"
#include "cli/identity.h"
#include "cli/shared_inputs.h"
#include "compiler/memorizza_percorso.h"
#include "compiler/sources.h"
#include "compiler/text_1252.h"
#include "output/diagnostics.h"
#include "output/file_output.h"
#include "output/terminal_text.h"
#include "output/text_file_names.h"
#include "output/write_compilation.h"
#include "platform/read_file.h"
#include "watch/repeat.h"

namespace sc {
namespace {

namespace fs = std::filesystem;

bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

size_t after_first(const FaultLog& log) {
  size_t n = 0;
  for (const Fault& f : log.others()) n += f.severity == Severity::errore && f.after_first;
  return n;
}

bool use_color(const std::string& when) {
  if (when == "always") return true;
  if (when == "never") return false;
  const char* no_color = std::getenv("NO_COLOR");
  return platform::standard_error_is_terminal() && (no_color == nullptr || *no_color == '\0');
}

// A compiled file must never land on one of the sources; says so on `err`.
bool free_outputs(const CompileOptions& o, const std::function<std::string(CompiledKind)>& output,
                  std::ostream& err) {
  for (const CompiledName& n : compiled_names) {
    for (const std::string& source : {o.linea, o.treno}) {
      if (same_file(output(n.tipo), source)) {
        err << program_name << ": the compiled file \"" << terminal_text(output(n.tipo))
            << "\" would replace the description \"" << terminal_text(source)
            << "\"; choose another --out directory or --name" << std::endl;
        return false;
      }
    }
  }
  return true;
}

// The closing line of one run of a watch.
std::string short_outcome(int status, bool check_only) {
  switch (status) {
    case status_ok: return check_only ? "no fault" : "compiled without fault";
    case status_with_errors: return "faults, listed above";
    case status_usage: return "a description cannot be read";
    case status_reserved_error: return "error report: cell 1 already holds an element";
    case status_file_not_written: return "a compiled file could not be written";
    default: return "status " + std::to_string(status);
  }
}

int compile_watching(const CompileOptions& o, std::ostream& out, std::ostream& err) {
  // The identity does not change with a save: a wrong one ends at once.
  const IdentityOutcome id = compilation_identity(o.linea, o.treno, o.nome, o.numero);
  if (!id.identity) {
    err << program_name << ": " << terminal_text(id.errore) << std::endl;
    return status_usage;
  }
  CompileOptions once = o;
  once.watch = false;
  WatchLoop r;
  r.files = {o.linea, o.treno};
  r.step = [&] { return cmd_compile(once, out, err); };
  r.outcome = [&](int status) { return short_outcome(status, o.check_only); };
  return repeat_on_every_save(r, out, err);
}

// The faults and warnings in the format asked for: the text shows the
// first --max-diagnostics of them and counts the others; JSON and SARIF
// carry every one, written as they are formatted.
void show_diagnostics(const FaultLog& log, const CompileOptions& o, std::ostream& err) {
  if (o.format == "json") write_json_diagnostics(log, err);
  if (o.format == "sarif") write_sarif_diagnostics(log, program_version(), err);
  if (o.format == "text") {
    const size_t hidden =
        write_text_diagnostics(log, DiagnosticStyle{use_color(o.color)}, o.max_diagnostics, err);
    if (hidden > 0) {
      err << program_name << ": " << count(hidden, "more diagnostic")
          << " not shown; --max-diagnostics 0 shows them all" << std::endl;
    }
  }
}

// The diagnostics shown; when memory runs out while they are formatted, one
// line says so and the compile goes on to write or refuse its files as its
// status says.
void report_diagnostics(const FaultLog& log, const CompileOptions& o, std::ostream& err) {
  try {
    show_diagnostics(log, o, err);
  } catch (const std::bad_alloc&) {
    err << "\n" << program_name << ": out of memory while showing the diagnostics; not all shown\n";
  }
  err << std::flush;
}

// The exit status of a compile that got as far as its cells, with the
// closing summary line of the text format.
int final_status(const FaultLog& log, const CompileOptions& o, std::ostream& err) {
  const bool text = o.format == "text";
  const size_t warnings = log.numero(Severity::avviso);
  const size_t errors = log.numero(Severity::errore);
  if (errors == 0) {
    if (warnings == 0) return status_ok;
    if (text) {
      err << program_name << ": " << warnings_summary(log)
          << (o.strict ? "; --strict makes them faults" : "") << std::endl;
    }
    return o.strict ? status_with_errors : status_ok;
  }
  if (text) {
    const size_t after = after_first(log);
    err << program_name << ": " << count(errors - after, "fault")
        << (after ? " and " + std::to_string(after) + " more found after the first" : std::string())
        << (warnings ? ", " + warnings_summary(log) : std::string())
        << (o.check_only ? "" : "; the compiled files were written all the same") << "; correct "
        << (errors == 1 ? "it" : "them") << " and run again" << std::endl;
  }
  return status_with_errors;
}

}  // namespace

int cmd_compile(const CompileOptions& o, std::ostream& out, std::ostream& err) {
  if (o.watch) return compile_watching(o, out, err);
  // Each description is opened once, checked on that descriptor and read
  // from it: what is compiled is what was checked.
  DescriptionText texts[2];
  for (int i = 0; i < 2; ++i) {
    std::string reason;
    texts[i] = read_description(i == 0 ? o.linea : o.treno, &reason);
    if (!reason.empty()) {
      err << program_name << ": " << terminal_text(reason) << std::endl;
      return status_usage;
    }
  }
  const IdentityOutcome id = compilation_identity(o.linea, o.treno, o.nome, o.numero);
  if (!id.identity) {
    err << program_name << ": " << terminal_text(id.errore) << std::endl;
    return status_usage;
  }

  Percorso p;
  p.nome_scenario = id.identity->nome_scenario;
  p.numero_treno = id.identity->numero_treno;
  const auto output = [&](CompiledKind k) {
    return in_dir(o.out, nome_file(k, p.nome_scenario, p.numero_treno));
  };

  if (!o.check_only) {
    if (!free_outputs(o, output, err)) return status_usage;
    if (!prepare_dir(o.out, err)) return status_file_not_written;
  }

  FaultLog log;
  const Compilation c =
      compile_descriptions(p, o.without_tracciato ? 0 : 1, {o.linea, o.treno, o.nome, o.numero},
                           texts[0], texts[1], log);
  const bool reserved =
      c.status == Compilation::Result::errore_1250 || c.status == Compilation::Result::errore_1251;

  const bool text = o.format == "text";
  report_diagnostics(log, o, err);

  if (reserved) return status_reserved_error;
  if (c.status == Compilation::Result::senza_celle) {
    if (text) {
      err << program_name
          << ": the compile stopped before the line length was read, so there are no cells "
          << "to compile; no compiled file written" << std::endl;
    }
    return status_with_errors;
  }

  if (!o.check_only) {
    const CompilationWrite written = write_compilation(c, log, output, WriteMode{o.sync});
    if (!written.reason.empty()) {
      err << program_name << ": " << terminal_text(written.reason) << std::endl;
      return written.status;
    }
    for (const std::string& f : written.written) out << "wrote " << terminal_text(f) << "\n";
    out << std::flush;
  }

  return final_status(log, o, err);
}

}  // namespace sc
