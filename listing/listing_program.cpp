// inspect: one compiled file shown as text or JSON.
#include <ostream>
#include <stdexcept>

#include "listing/listing_program.h"

#include "cli/shared_inputs.h"
#include "format/compiled_decode.h"
#include "listing/listing.h"
#include "output/terminal_text.h"

namespace sc {

int cmd_inspect(const InspectArgs& o, std::ostream& out, std::ostream& err) {
  InspectOptions options;
  try {
    options.json = o.json;
    if (o.celle) options.celle = range_from_text(*o.celle);
    if (o.km) options.metres = range_from_km(*o.km);
    for (const std::string& nome : o.only) options.only.push_back(filter_from_name(nome));
    if (o.every) {
      if (*o.every < 1)
        throw std::invalid_argument("--every must be 1 or more, not " + std::to_string(*o.every));
      options.every = *o.every;
    }
  } catch (const std::invalid_argument& e) {
    err << program_name << ": " << terminal_text(e.what())
        << "\nRun with --help for more information." << std::endl;
    return status_usage;
  }

  for (const std::string& reason : {unreadable(o.file, false), half_replaced(o.file)}) {
    if (reason.empty()) continue;
    err << program_name << ": " << terminal_text(reason) << std::endl;
    return status_usage;
  }
  try {
    show_file(o.file, options, out);
  } catch (const DecodeError& e) {
    err << program_name << ": " << terminal_text(o.file) << ": " << terminal_text(e.what())
        << std::endl;
    return status_usage;
  } catch (const std::exception& e) {
    // A bad option for this kind of file, a file that cannot be read, or
    // one too large to hold in memory.
    err << program_name << ": " << terminal_text(e.what()) << std::endl;
    return status_usage;
  }
  out << std::flush;
  return status_ok;
}

}  // namespace sc
