#include "output/write_compilation.h"

#include <optional>

#include "output/exit_statuses.h"
#include "output/file_output.h"
#include "output/write_content.h"

namespace sc {

int compilation_status(const FaultLog& log) {
  return log.numero(Severity::errore) == 0 ? status_ok : status_with_errors;
}

CompilationWrite write_compilation(const Compilation& c, const FaultLog& log,
                                   const std::function<std::string(CompiledKind)>& percorso,
                                   WriteMode modo) {
  CompilationWrite s;
  switch (c.status) {
    case Compilation::Result::errore_1250:
    case Compilation::Result::errore_1251: s.status = status_reserved_error; return s;
    case Compilation::Result::senza_celle: s.status = status_with_errors; return s;
    case Compilation::Result::pronto: break;
  }
  std::vector<FileToWrite> files;
  for (const CompiledFile& f : c.files) files.push_back(to_write(percorso(f.kind), f.bytes));
  if (std::optional<std::string> reason = replace_files(files, modo)) {
    s.status = status_file_not_written;
    s.reason = *reason;
    return s;
  }
  for (const FileToWrite& f : files) s.written.push_back(f.path);
  s.status = compilation_status(log);
  return s;
}

}  // namespace sc
