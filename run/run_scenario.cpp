#include "run/run_scenario.h"

#include <signal.h>
#include <sys/stat.h>

#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "cli/compile_descriptions.h"
#include "output/diagnostics.h"
#include "output/file_output.h"
#include "output/terminal_text.h"
#include "output/text_file_names.h"
#include "output/write_compilation.h"
#include "platform/read_file.h"
#include "platform/replace_file.h"
#include "run/error_report.h"

namespace sc {
namespace {

// True when something other than `bytes` stands at `path`: a file of
// other content, a directory, a link. A missing file (or one that cannot be
// looked at, which the write then reports) is not in the way.
bool different(const std::string& path, const std::string& bytes) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  if (!S_ISREG(st.st_mode) || static_cast<uintmax_t>(st.st_size) != bytes.size()) return true;
  // Read through the descriptor it is checked on: what was swapped in since
  // (a pipe, a device, a larger file) is in the way too.
  const platform::FileRead r = platform::read_regular_file(path, bytes.size());
  if (r.failure == platform::FileRead::Failure::open) return false;
  return r.failure != platform::FileRead::Failure::none || r.bytes != bytes;
}

// SIGINT, SIGTERM and SIGHUP held (pending, not lost) while it lives: the
// descriptions the run writes, reads and deletes are deleted whatever
// signal comes in between (a SIGKILL leaves them to the next run, which
// writes and deletes them again).
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t s;
    sigemptyset(&s);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&s, sig);
    ::pthread_sigmask(SIG_BLOCK, &s, &old_);
  }
  ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_{};
};

// A description the run is done with; one already gone is fine.
void remove_if_present(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

}  // namespace

int run_scenario(const std::string& dir, StatusWindow& ui, const Compiler& compile,
                 std::ostream& err, const RunOptions& o) {
  Percorso p;
  p.nome_scenario = embedded_scenario_name;
  p.numero_treno = embedded_train_number;

  ui.show(expected_label);

  const DirLock block(dir);
  if (const std::optional<std::string> m = block.failure()) {
    err << program_name << ": " << terminal_text(*m) << std::endl;
    return status_file_not_written;
  }
  std::vector<std::string> texts;
  for (const ScenarioWriter& s : scenario_writers) texts.push_back(s.dati());

  // The descriptions are deleted once read: an author's edited copy in
  // their place would be lost.
  if (!o.force) {
    for (size_t i = 0; i < texts.size(); ++i) {
      const TextFileKind f = scenario_writers[i].file;
      if (f != TextFileKind::linea_txt && f != TextFileKind::treno_txt) continue;
      const std::string path = percorso_file(dir, f, p.nome_scenario, p.numero_treno);
      if (different(path, texts[i])) {
        err << program_name << ": \"" << terminal_text(path) << "\" is not the embedded scenario's "
            << (f == TextFileKind::linea_txt ? "line" : "train")
            << " description; the run would replace it and then delete it. Nothing written (move "
               "it away, "
               "or give --force to replace it)"
            << std::endl;
        return status_file_not_written;
      }
    }
  }

  // The writers in order, each file replaced whole; a failure stops the
  // run with the files before it written. From the first write until both
  // descriptions are deleted, a signal that would end the run waits.
  std::optional<SignalsHeld> held;
  held.emplace();
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string path =
        percorso_file(dir, scenario_writers[i].file, p.nome_scenario, p.numero_treno);
    if (auto reason = replace_file(path, texts[i], o.modo)) {
      err << program_name << ": " << terminal_text(*reason) << std::endl;
      return status_file_not_written;
    }
  }

  // The line description is read and deleted before the train description
  // is read; the train description goes once the parse is done with it.
  const std::string linea =
      percorso_file(dir, TextFileKind::linea_txt, p.nome_scenario, p.numero_treno);
  const std::string treno =
      percorso_file(dir, TextFileKind::treno_txt, p.nome_scenario, p.numero_treno);
  CompileInput in;
  in.line = read_description(linea);
  remove_if_present(linea);
  in.train = read_description(treno);
  in.nome_scenario = p.nome_scenario;
  in.numero_treno = p.numero_treno;
  in.modo = 1;
  CompileResult r = compile(in);
  if (r.train_consumed) remove_if_present(treno);
  held.reset();
  p = std::move(r.model);
  const FaultLog& log = r.log;
  const Compilation& c = r.compilation;
  err << formatta_faults(log) << std::flush;

  switch (c.status) {
    case Compilation::Result::errore_1250: return errore("1250", ui);
    case Compilation::Result::errore_1251: return errore("1251", ui);
    case Compilation::Result::senza_celle:
      err << program_name << ": the compile ended before the cells existed; "
          << "no compiled file written, earlier compiled files left as they were" << std::endl;
      return status_with_errors;
    case Compilation::Result::pronto: break;
  }

  const CompilationWrite written = write_compilation(
      c, log,
      [&](CompiledKind k) { return percorso_file(dir, k, p.nome_scenario, p.numero_treno); },
      o.modo);
  if (!written.reason.empty())
    err << program_name << ": " << terminal_text(written.reason) << std::endl;
  return written.status;
}

int run_scenario(const std::string& dir, StatusWindow& ui, const RunOptions& o) {
  return run_scenario(
      dir, ui, [](const CompileInput& in) { return compile_descriptions(in); }, std::cerr, o);
}

int start_program(const RunOptions& o) {
  std::string dir;
  try {
    dir = program_dir();
  } catch (const std::exception& e) {
    std::cerr << program_name
              << ": cannot find the program's directory: " << terminal_text(e.what()) << std::endl;
    return status_file_not_written;
  }
  // An installed program's folder (PREFIX/bin) is seldom the user's to
  // write: the run stops before its window and its first file.
  if (const int denied = platform::folder_write_denied(dir)) {
    std::cerr << program_name << ": cannot write into the program's directory \""
              << terminal_text(dir) << "\": " << std::strerror(denied)
              << "; nothing written. Run it with --out DIR to write the files into DIR"
              << std::endl;
    return status_file_not_written;
  }
  // The window (or its headless form) lives until the run has ended and is
  // destroyed on the way out.
  std::unique_ptr<StatusWindow> ui = open_status_window();
  return run_scenario(dir, *ui, o);
}

}  // namespace sc
