// What the scenario picture shows, gathered from the decoded files: names,
// train values, stations, and the cells of each kind by position.
#include <algorithm>

#include "format/compiled_decode.h"
#include "plot/plot_internal.h"

namespace sc::plot_detail {

Content collect(const CompiledScenario& sc) {
  Content c;
  const auto& el = sc.elementi;
  c.nome_scenario = utf8_from_1252(el.at(record_sfondo_identita).nome);
  c.numero_treno = utf8_from_1252(el.at(record_ripetizione).nome);
  c.linea_length = std::max(0, el.at(record_treno_linea).fine);
  c.massa_frenata = el.at(record_treno_linea).inizio;
  c.vetture = el.at(record_treno_linea).progressiva;
  c.sabbia = el.at(record_ripetizione).dato_7;
  c.ore = el.at(record_ripetizione).dato_10;
  c.minutes = el.at(record_ripetizione).dato_11;
  c.seconds = el.at(record_ripetizione).dato_12;
  const ElementRoles roles = element_roles(el);
  for (int k = 1; k <= roles.stazioni; ++k) {
    const Elemento& e = el.at(static_cast<size_t>(k));
    c.stazioni.push_back({k, utf8_from_1252(e.nome), static_cast<double>(e.inizio),
                          static_cast<double>(e.fine), static_cast<double>(e.progressiva),
                          e.orario});
  }
  c.curve = curva_stretches(sc.tracciato);
  const auto& celle = sc.celle;
  const size_t n = celle.size();
  // The profile stops before the last three cells, which the fills leave at 0.
  const size_t shown = n > 3 ? n - 3 : n;
  c.profile_end = std::max(1000.0, metres(shown));
  c.stop = compile_stop(celle);
  // For each cell, the first restriction end after it (n for none): one
  // pass from the end, so that pairing every start costs nothing more.
  std::vector<size_t> end_after(n + 1, n);
  for (size_t i = n; i-- > 0;) {
    end_after[i] =
        i + 1 < n && celle[i + 1].tipo == tipo_cella::fine_rallentamento ? i + 1 : end_after[i + 1];
  }
  for (size_t i = 0; i < n; ++i) {
    const Cella& x = celle[i];
    switch (x.tipo) {
      case tipo_cella::segnale: c.segnali.push_back(i); break;
      case tipo_cella::codice:
      case tipo_cella::codice_senza_velocita: c.codes.push_back(i); break;
      case tipo_cella::indicatori_v_max: c.cartelli_v.push_back(i); break;
      case tipo_cella::cartello_indicatore: c.cartelli_text.push_back(i); break;
      case tipo_cella::avviso_rallentamento: c.avviso_cells.push_back(i); break;
      case tipo_cella::inizio_rallentamento: {
        // To the end of the cell that ends it, or of its own cell when none does.
        const size_t j = end_after[i];
        const double fine = metres(j < n ? j : i) + cella_metres;
        c.rallentamenti.push_back({metres(i), fine, x.valore_1});
        break;
      }
      default: break;
    }
    if (x.galleria != 0) {
      const double from = metres(i);
      if (!c.tunnels.empty() && c.tunnels.back().a == from) {
        c.tunnels.back().a = from + cella_metres;
      } else {
        c.tunnels.push_back({from, from + cella_metres});
      }
    }
  }
  return c;
}

}  // namespace sc::plot_detail
