// plot: a picture of one compiled scenario, SVG or PNG.
#include <charconv>
#include <ostream>
#include <stdexcept>

#include "cli/cli_comandi.h"
#include "plot/cmd_plot.h"
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
    if (o.da_km) opzioni.da = *o.da_km * 1000;
    if (o.a_km) opzioni.a = *o.a_km * 1000;
    const std::vector<std::filesystem::path> ingressi(o.ingressi.begin(), o.ingressi.end());
    const FileCompilati file = trova_file_scenario(ingressi);
    scenario = leggi_scenario(file);
    if (const std::string diversi = scenari_diversi(file, scenario); !diversi.empty()) {
      throw std::invalid_argument("the files are not of one scenario: " + diversi);
    }
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
  if (const std::optional<double> m = arresto_compilazione(scenario.celle)) {
    err << nome_programma << ": warning: the files come from a compile that stopped at a fault: no speed from "
        << *m / 1000 << " km on, and nothing after the fault is placed; the picture marks it" << std::endl;
  }
  out << "wrote " << o.uscita << std::endl;
  return stato_ok;
}

}  // namespace sc
