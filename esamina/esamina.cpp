// Showing a compiled file: the entry points, which check the options
// against the kind of file and hand the decoded contents to the text or
// the JSON rendering.
#include "esamina/esamina.h"

#include <optional>
#include <stdexcept>
#include <system_error>

#include "format/compiled_decode.h"
#include "esamina/esamina_internal.h"

namespace sc {
namespace {

using namespace inspect_detail;

void controlla_opzioni(FileCompilato tipo, const OpzioniInspect& o) {
  controlla_ogni(o);
  if (tipo != FileCompilato::celle && (o.celle || o.metri || !o.solo.empty())) {
    throw std::invalid_argument(std::string("--cells, --km and --only apply to a cells file, not to a ") +
                                nome_file_compilato(tipo) + " file");
  }
  if (tipo != FileCompilato::tracciato && o.ogni != 1) {
    throw std::invalid_argument(std::string("--every applies to a track plan file, not to a ") +
                                nome_file_compilato(tipo) + " file");
  }
}

// As text, or as JSON beginning with the file's path and size when `file`
// is given.
std::string celle_come(const std::vector<Cella>& celle, const OpzioniInspect& o, const Elementi* el,
                       const FileLetto* file) {
  return o.json ? json_celle(celle, o, el, file) : testo_celle(celle, o, el);
}

// The element table beside a cells file (same name, ".sim"), when it reads.
std::optional<Elementi> elementi_accanto(const std::filesystem::path& celle) {
  std::filesystem::path sim = celle;
  sim.replace_extension(".sim");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(sim, ec)) return std::nullopt;
  try {
    return decodifica_elementi(leggi_file_binario(sim));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::string elementi_come(const std::array<Elemento, numero_elementi>& elementi, const OpzioniInspect& o,
                          const FileLetto* file) {
  return o.json ? json_elementi(elementi, file) : testo_elementi(elementi);
}

std::string tracciato_come(const Tracciato& tracciato, const OpzioniInspect& o, const FileLetto* file) {
  controlla_ogni(o);
  return o.json ? json_tracciato(tracciato, o, file) : testo_tracciato(tracciato, o);
}

}  // namespace

std::string mostra_celle(const std::vector<Cella>& celle, const OpzioniInspect& opzioni, const Elementi* elementi) {
  return celle_come(celle, opzioni, elementi, nullptr);
}

std::string mostra_elementi(const std::array<Elemento, numero_elementi>& elementi,
                            const OpzioniInspect& opzioni) {
  return elementi_come(elementi, opzioni, nullptr);
}

std::string mostra_tracciato(const Tracciato& tracciato, const OpzioniInspect& opzioni) {
  return tracciato_come(tracciato, opzioni, nullptr);
}

std::string mostra_file(const std::filesystem::path& file, const OpzioniInspect& opzioni) {
  const FileCompilato tipo = riconosci_file_o_errore(file);
  controlla_opzioni(tipo, opzioni);
  const std::string dati = leggi_file_compilato(file, tipo);
  const FileLetto letto{file.string(), dati.size()};
  std::string corpo;
  switch (tipo) {
    case FileCompilato::celle: {
      const std::optional<Elementi> el = elementi_accanto(file);
      corpo = celle_come(decodifica_celle(dati), opzioni, el ? &*el : nullptr, &letto);
      break;
    }
    case FileCompilato::elementi: corpo = elementi_come(decodifica_elementi(dati), opzioni, &letto); break;
    case FileCompilato::tracciato: corpo = tracciato_come(decodifica_tracciato(dati), opzioni, &letto); break;
  }
  if (opzioni.json) return corpo;
  return file.string() + ": " + nome_file_compilato(tipo) + " file, " + std::to_string(dati.size()) +
         " bytes\n" + corpo;
}

}  // namespace sc
