// What the scenario picture shows, gathered from the decoded files: names,
// train values, stations, and the cells of each kind by position.
#include <algorithm>

#include "format/compiled_decode.h"
#include "plot/plot_internal.h"

namespace sc::plot_detail {

namespace {

double metri(size_t cella) { return static_cast<double>(cella) * metri_cella; }

}  // namespace

Contenuto raccogli(const ScenarioCompilato& sc) {
  Contenuto c;
  const auto& el = sc.elementi;
  c.nome_scenario = utf8_da_1252(el.at(record_sfondo_identita).nome);
  c.numero_treno = utf8_da_1252(el.at(record_ripetizione).nome);
  c.lunghezza_linea = std::max(0, el.at(record_treno_linea).fine);
  c.massa_frenata = el.at(record_treno_linea).inizio;
  c.vetture = el.at(record_treno_linea).progressiva;
  c.sabbia = el.at(record_ripetizione).dato_7;
  c.ore = el.at(record_ripetizione).dato_10;
  c.minuti = el.at(record_ripetizione).dato_11;
  c.secondi = el.at(record_ripetizione).dato_12;
  const RuoliElementi ruoli = ruoli_elementi(el);
  for (int k = 1; k <= ruoli.stazioni; ++k) {
    const Elemento& e = el.at(static_cast<size_t>(k));
    c.stazioni.push_back({k, utf8_da_1252(e.nome), static_cast<double>(e.inizio),
                          static_cast<double>(e.fine), static_cast<double>(e.progressiva), e.orario});
  }
  c.curve = tratti_curva(sc.tracciato);
  const auto& celle = sc.celle;
  const size_t n = celle.size();
  // The profile stops before the last three cells, which the fills leave at 0.
  const size_t mostrate = n > 3 ? n - 3 : n;
  c.fine_profilo = std::max(1000.0, metri(mostrate));
  c.arresto = arresto_compilazione(celle);
  // For each cell, the first restriction end after it (n for none): one
  // pass from the end, so that pairing every start costs nothing more.
  std::vector<size_t> fine_dopo(n + 1, n);
  for (size_t i = n; i-- > 0;) {
    fine_dopo[i] = i + 1 < n && celle[i + 1].tipo == tipo_cella::fine_rallentamento ? i + 1 : fine_dopo[i + 1];
  }
  for (size_t i = 0; i < n; ++i) {
    const Cella& x = celle[i];
    switch (x.tipo) {
      case tipo_cella::segnale: c.segnali.push_back(i); break;
      case tipo_cella::codice:
      case tipo_cella::codice_senza_velocita: c.codici.push_back(i); break;
      case tipo_cella::indicatori_v_max: c.cartelli_v.push_back(i); break;
      case tipo_cella::cartello_indicatore: c.cartelli_testo.push_back(i); break;
      case tipo_cella::avviso_rallentamento: c.avvisi_rall.push_back(i); break;
      case tipo_cella::inizio_rallentamento: {
        // To the end of the cell that ends it, or of its own cell when none does.
        const size_t j = fine_dopo[i];
        const double fine = metri(j < n ? j : i) + metri_cella;
        c.rallentamenti.push_back({metri(i), fine, x.valore_1});
        break;
      }
      default: break;
    }
    if (x.galleria != 0) {
      const double da = metri(i);
      if (!c.gallerie.empty() && c.gallerie.back().a == da) {
        c.gallerie.back().a = da + metri_cella;
      } else {
        c.gallerie.push_back({da, da + metri_cella});
      }
    }
  }
  return c;
}

}  // namespace sc::plot_detail
