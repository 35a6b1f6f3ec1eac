// Showing a compiled file: the entry points, which check the options
// against the kind of file and hand the decoded contents to the text or
// the JSON rendering.
#include "listing/listing.h"

#include <optional>
#include <sstream>
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
void celle_as(Sink& out, const std::vector<Cella>& celle, const InspectOptions& o,
              const Elementi* el, const LoadedFile* file) {
  if (o.json)
    json_celle(out, celle, o, el, file);
  else
    celle_text(out, celle, o, el);
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

void tracciato_as(Sink& out, const PlanRows& rows, const InspectOptions& o,
                  const LoadedFile* file) {
  check_every(o);
  if (o.json)
    json_tracciato(out, rows, o, file);
  else
    tracciato_text(out, rows, o);
}

// The heading of the text: the file, its kind and size.
std::string heading(const std::filesystem::path& file, CompiledKind tipo, size_t size) {
  return file.string() + ": " + compiled_file_name(tipo) + " file, " + std::to_string(size) +
         " bytes\n";
}

}  // namespace

std::string show_celle(const std::vector<Cella>& celle, const InspectOptions& options,
                       const Elementi* elementi) {
  Sink out;
  celle_as(out, celle, options, elementi, nullptr);
  return std::move(out.text());
}

std::string show_elementi(const std::array<Elemento, numero_elementi>& elementi,
                          const InspectOptions& options) {
  return elementi_as(elementi, options, nullptr);
}

std::string show_tracciato(const Tracciato& tracciato, const InspectOptions& options) {
  Sink out;
  tracciato_as(out, rows_of(tracciato), options, nullptr);
  return std::move(out.text());
}

void show_file(const std::filesystem::path& file, const InspectOptions& options,
               std::ostream& stream) {
  const CompiledKind tipo = recognise_file_or_throw(file);
  check_options(tipo, options);
  Sink out(stream);
  if (tipo == CompiledKind::tracciato) {
    // Read piece by piece and checked whole before anything is shown; the
    // rows are read again for the extent and once more as they are shown.
    const OpenCompiled opened = open_compiled_file(file, tipo);
    const PlanFile plan(opened.reader(file), opened.size);
    const LoadedFile read{file.string(), opened.size};
    const PlanRows rows{plan.rows(), [&plan](const PlanRows::Visit& f) { plan.each_row(f); }};
    if (!options.json) out += heading(file, tipo, opened.size);
    tracciato_as(out, rows, options, &read);
    return;
  }
  const std::string dati = read_compiled_file(file, tipo);
  const LoadedFile read{file.string(), dati.size()};
  if (tipo == CompiledKind::celle) {
    const std::vector<Cella> celle = decode_cells(dati);
    const std::optional<Elementi> el = adjacent_elementi(file);
    if (!options.json) out += heading(file, tipo, dati.size());
    celle_as(out, celle, options, el ? &*el : nullptr, &read);
    return;
  }
  const std::array<Elemento, numero_elementi> elementi = decode_elements(dati);
  if (!options.json) out += heading(file, tipo, dati.size());
  out += elementi_as(elementi, options, &read);
}

std::string show_file(const std::filesystem::path& file, const InspectOptions& options) {
  std::ostringstream out;
  show_file(file, options, out);
  return std::move(out).str();
}

}  // namespace sc
