// plot: a picture of one compiled scenario, SVG or PNG.
#include <charconv>
#include <ostream>
#include <stdexcept>

#include "cli/cli_comandi.h"
#include "format/compiled_decode.h"
#include "plot/plot.h"

namespace sc {
namespace {

// "WxH" as two whole numbers; std::invalid_argument otherwise.
OpzioniPlot dimensioni_da_testo(const std::string& testo) {
  const size_t x = testo.find_first_of("xX");
  OpzioniPlot o;
  auto numero = [&](std::string_view s, int& v) {
    const auto [fine, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && fine == s.data() + s.size() && !s.empty();
  };
  if (x == std::string::npos || !numero(std::string_view(testo).substr(0, x), o.larghezza) ||
      !numero(std::string_view(testo).substr(x + 1), o.altezza)) {
    throw std::invalid_argument("--size \"" + testo + "\" is not WIDTHxHEIGHT, e.g. 1600x1000");
  }
  return o;
}

}  // namespace

int comando_plot(const OpzioniPlotRiga& o, std::ostream& out, std::ostream& err) {
  for (const std::string& ingresso : o.ingressi) {
    if (const std::string motivo = non_leggibile(ingresso, true); !motivo.empty()) {
      err << nome_programma << ": " << motivo << std::endl;
      return stato_uso;
    }
  }
  OpzioniPlot opzioni;
  ScenarioCompilato scenario;
  try {
    if (o.dimensioni) opzioni = dimensioni_da_testo(*o.dimensioni);
    const std::vector<std::filesystem::path> ingressi(o.ingressi.begin(), o.ingressi.end());
    scenario = leggi_scenario(trova_file_scenario(ingressi));
  } catch (const std::exception& e) {
    // A usage error, a malformed file (DecodeError names it) or one that
    // cannot be read: all are faults of the input.
    err << nome_programma << ": " << e.what() << std::endl;
    return stato_uso;
  }
  try {
    disegna_scenario(scenario, o.uscita, opzioni);
  } catch (const std::invalid_argument& e) {
    err << nome_programma << ": " << e.what() << std::endl;
    return stato_uso;
  } catch (const std::exception& e) {
    err << nome_programma << ": " << e.what() << std::endl;
    return stato_file_non_scritto;
  }
  out << "wrote " << o.uscita << std::endl;
  return stato_ok;
}

}  // namespace sc
