// export: the embedded scenario's five text files, as a starting point for
// an author's own scenario.
#include <filesystem>
#include <ostream>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/shared_inputs.h"
#include "output/embedded_scenario.h"
#include "output/file_output.h"
#include "output/terminal_text.h"

namespace sc {

int cmd_export(const std::string& dir, bool replace, std::ostream& out, std::ostream& err) {
  if (!prepare_dir(dir, err)) return status_file_not_written;
  auto percorso = [&](TextFileKind f) {
    return in_dir(dir, nome_file(f, embedded_scenario_name, embedded_train_number));
  };

  // An author's edited descriptions are never replaced by accident.
  if (!replace) {
    for (const ScenarioWriter& s : scenario_writers) {
      if (in_the_way(percorso(s.file))) {
        err << program_name << ": \"" << terminal_text(percorso(s.file))
            << "\" already exists; nothing exported (give --force to replace the files, or --out "
               "DIR "
               "for another directory)"
            << std::endl;
        return status_file_not_written;
      }
    }
  }

  // The five files replaced as one set: none of them unless all are
  // written, so a failure leaves nothing that a retry would refuse.
  std::vector<std::string> texts;
  std::vector<FileToWrite> files;
  for (const ScenarioWriter& s : scenario_writers) texts.push_back(s.dati());
  for (size_t i = 0; i < texts.size(); ++i)
    files.push_back({percorso(scenario_writers[i].file), {texts[i]}});
  if (auto reason = replace_files(files)) {
    err << program_name << ": " << terminal_text(*reason) << std::endl;
    return status_file_not_written;
  }
  for (const FileToWrite& f : files) out << "wrote " << terminal_text(f.path) << "\n";
  out << "Edit the line and train descriptions, then compile them with:\n  " << program_name
      << " compile " << shell_quoted(percorso(TextFileKind::linea_txt)) << " "
      << shell_quoted(percorso(TextFileKind::treno_txt));
  if (dir != ".") out << " --out " << shell_quoted(dir);
  out << std::endl;
  return status_ok;
}

}  // namespace sc
