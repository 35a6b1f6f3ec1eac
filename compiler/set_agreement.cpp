#include "compiler/set_agreement.h"

#include "compiler/codici_gara.h"
#include "format/celle.h"
#include "format/elementi.h"

namespace sc {
namespace {

// The stop cell of a station that ends at `fine`, as the compile places it.
int64_t stop_cell(int32_t fine) {
  return static_cast<int64_t>(arrotonda(static_cast<double>(fine) / 50.0 - 1.0));
}

}  // namespace

std::vector<std::string> set_disagreements(const SetToCompare& s) {
  std::vector<std::string> out;
  const auto& celle = s.celle;
  const auto& elementi = s.elementi;
  if (celle.size() < 2 || celle[1].valore_1 != marca_celle) return out;
  if (elementi[record_sfondo_identita].dato_7 != marca_elementi) return out;

  const Elemento& nome = elementi[record_sfondo_identita];
  const Elemento& treno = elementi[record_ripetizione];
  const int16_t code = contest_sum(contest_text(treno.nome, nome.nome));
  if (celle[1].valore_2 != code) {
    out.push_back(s.cells_name + " holds the contest code " + std::to_string(celle[1].valore_2) +
                  " in cell 1, where the identity in " + s.elements_name + " gives " +
                  std::to_string(code));
  }
  const int32_t lunghezza = elementi[record_treno_linea].fine;
  if (lunghezza >= 0 && lunghezza <= max_length) {
    const size_t cells = static_cast<size_t>(last_cell_for(lunghezza)) + 1;
    if (celle.size() != cells) {
      out.push_back(s.cells_name + " holds " + std::to_string(celle.size()) + " cells, where the " +
                    std::to_string(lunghezza) + " m line of " + s.elements_name + " has " +
                    std::to_string(cells));
    }
    const int32_t rows = lunghezza + coda_linea + 1;
    if (s.plan_rows && *s.plan_rows != rows) {
      out.push_back(s.plan_name + " holds " + std::to_string(*s.plan_rows) + " rows, where the " +
                    std::to_string(lunghezza) + " m line of " + s.elements_name + " has " +
                    std::to_string(rows));
    }
  }
  // Each station stop in the cells names its station's record, which ends
  // in the cell after it.
  const int stations = element_roles(elementi).stazioni;
  for (size_t i = 0; i < celle.size(); ++i) {
    if (celle[i].tipo != tipo_cella::fermata) continue;
    const int k = celle[i].valore_1;
    if (k < 1 || k > stations) {
      out.push_back(s.cells_name + ": cell " + std::to_string(i) +
                    " holds the stop of station record " + std::to_string(k) + ", which " +
                    s.elements_name + " does not hold (" + std::to_string(stations) + " stations)");
    } else if (stop_cell(elementi[static_cast<size_t>(k)].fine) != static_cast<int64_t>(i)) {
      out.push_back(s.cells_name + ": cell " + std::to_string(i) + " holds the stop of station " +
                    std::to_string(k) + ", which ends at " +
                    std::to_string(elementi[static_cast<size_t>(k)].fine) + " m in " +
                    s.elements_name + " (its stop in cell " +
                    std::to_string(stop_cell(elementi[static_cast<size_t>(k)].fine)) + ")");
    }
    if (out.size() >= 10) break;  // enough to tell
  }
  return out;
}

}  // namespace sc
