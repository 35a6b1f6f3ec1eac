#include "decompile/decompila.h"

#include <gtest/gtest.h>

#include "decompile/verifica.h"
#include "writers/scenario.h"

namespace sc::decompila {
namespace {

const Compilati& incorporato() {
  static const Compilati c =
      compila_in_memoria(dati_linea(), dati_treno(), "Corvale_Pravena AV", "409", /*con_tracciato=*/true);
  return c;
}

FileCompilati file_di(const Compilati& c) { return {c.celle, c.elementi, c.tracciato}; }

std::string elenco(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& x : v) s += x + "\n";
  return s;
}

TEST(Decompila, EmbeddedScenarioRoundTrips) {
  ASSERT_TRUE(incorporato().scritti);
  const Decompilazione d = decompila(file_di(incorporato()));
  EXPECT_TRUE(d.identico()) << d.differenza.value_or("") << "\n" << elenco(d.inspiegati);
  EXPECT_TRUE(d.inspiegati.empty()) << elenco(d.inspiegati);
  EXPECT_TRUE(d.faults.empty()) << elenco(d.faults);
  EXPECT_EQ(d.nome_scenario, "Corvale_Pravena AV");
  EXPECT_EQ(d.numero_treno, "409");
}

}  // namespace
}  // namespace sc::decompila
