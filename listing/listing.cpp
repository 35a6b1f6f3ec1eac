// Showing a compiled file: the entry points, which check the options
// against the kind of file and hand the decoded contents to the text or
// the JSON rendering.
#include "listing/listing.h"

#include <optional>
#include <stdexcept>
#include <system_error>

#include "format/compiled_decode.h"
#include "listing/listing_internal.h"
#include "output/compiled_read.h"

namespace sc {
namespace {

using namespace inspect_detail;

void check_options(CompiledKind tipo, const InspectOptions& o) {
  check_every(o);
  if (tipo != CompiledKind::celle && (o.celle || o.metres || !o.only.empty())) {
    throw std::invalid_argument(
        std::string("--cells, --km and --only apply to a cells file, not to a ") +
        compiled_file_name(tipo) + " file");
  }
  if (tipo != CompiledKind::tracciato && o.every != 1) {
    throw std::invalid_argument(std::string("--every applies to a track plan file, not to a ") +
                                compiled_file_name(tipo) + " file");
  }
}

// As text, or as JSON beginning with the file's path and size when `file`
// is given.
std::string celle_as(const std::vector<Cella>& celle, const InspectOptions& o, const Elementi* el,
                     const LoadedFile* file) {
  return o.json ? json_celle(celle, o, el, file) : celle_text(celle, o, el);
}

// The element table beside a cells file (same name, ".sim"), when it reads.
std::optional<Elementi> adjacent_elementi(const std::filesystem::path& celle) {
  std::filesystem::path sim = celle;
  sim.replace_extension(".sim");
  try {  // read through the descriptor it is checked on; none there is no table
    return decode_elements(read_compiled_file(sim, CompiledKind::elementi));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::string elementi_as(const std::array<Elemento, numero_elementi>& elementi,
                        const InspectOptions& o, const LoadedFile* file) {
  return o.json ? json_elementi(elementi, file) : elementi_text(elementi);
}

std::string tracciato_as(const Tracciato& tracciato, const InspectOptions& o,
                         const LoadedFile* file) {
  check_every(o);
  return o.json ? json_tracciato(tracciato, o, file) : tracciato_text(tracciato, o);
}

}  // namespace

std::string show_celle(const std::vector<Cella>& celle, const InspectOptions& options,
                       const Elementi* elementi) {
  return celle_as(celle, options, elementi, nullptr);
}

std::string show_elementi(const std::array<Elemento, numero_elementi>& elementi,
                          const InspectOptions& options) {
  return elementi_as(elementi, options, nullptr);
}

std::string show_tracciato(const Tracciato& tracciato, const InspectOptions& options) {
  return tracciato_as(tracciato, options, nullptr);
}

std::string show_file(const std::filesystem::path& file, const InspectOptions& options) {
  const CompiledKind tipo = recognise_file_or_throw(file);
  check_options(tipo, options);
  const std::string dati = read_compiled_file(file, tipo);
  const LoadedFile read{file.string(), dati.size()};
  std::string body;
  switch (tipo) {
    case CompiledKind::celle: {
      const std::optional<Elementi> el = adjacent_elementi(file);
      body = celle_as(decode_cells(dati), options, el ? &*el : nullptr, &read);
      break;
    }
    case CompiledKind::elementi: body = elementi_as(decode_elements(dati), options, &read); break;
    case CompiledKind::tracciato: body = tracciato_as(decode_plan(dati), options, &read); break;
  }
  if (options.json) return body;
  return file.string() + ": " + compiled_file_name(tipo) + " file, " + std::to_string(dati.size()) +
         " bytes\n" + body;
}

}  // namespace sc
