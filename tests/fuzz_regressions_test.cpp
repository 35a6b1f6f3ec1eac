// Replays the fuzz inputs kept in the repository (fuzz/corpus/<target>/ and
// fuzz/regressions/<target>/) through the checks the libFuzzer targets run,
// so that the sanitizer build repeats them without clang. A regression input
// is one that once crashed or broke a property; it must now pass.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "tests/support/riproduci_fuzz.h"

namespace {


using sc::test::riproduci_fuzz;

TEST(FuzzRegressions, FieldReader) {
  riproduci_fuzz("field_reader", sc::fuzz::controlla_field_reader);
}

TEST(FuzzRegressions, LineHalf) { riproduci_fuzz("line", sc::fuzz::controlla_linea); }

TEST(FuzzRegressions, TrainHalf) { riproduci_fuzz("train", sc::fuzz::controlla_treno); }

TEST(FuzzRegressions, WholeCompile) { riproduci_fuzz("compile", sc::fuzz::controlla_compilazione); }

// The checks themselves catch what they are there for.
TEST(FuzzRegressions, ChecksReportABrokenProperty) {
  sc::Percorso p;
  p.nome_scenario = "Fuzz";
  p.numero_treno = "1";
  sc::FaultLog log;
  sc::registra(p, log, sc::Fault{25, std::nullopt, std::nullopt, ""});  // a fault that says nothing
  EXPECT_NE(sc::fuzz::detail::controlla_log(p, log), "");

  // An element table one byte short, and one with a byte too many.
  p.elementi[sc::record_sfondo_identita].nome = "Fuzz";
  p.elementi[sc::record_sfondo_identita].dato_7 = sc::marca_elementi;
  const std::string tabella = sc::serializza_elementi(p.elementi);
  EXPECT_EQ(sc::fuzz::detail::controlla_elementi(tabella, p), "");
  EXPECT_NE(sc::fuzz::detail::controlla_elementi(tabella.substr(0, tabella.size() - 1), p), "");
  EXPECT_NE(sc::fuzz::detail::controlla_elementi(tabella + '\0', p), "");
}

TEST(FuzzRegressions, InputSplitsIntoModeLineAndTrain) {
  const sc::fuzz::Coppia c = sc::fuzz::dividi("#0\nL%%TRENO%%T%%TRENO%%");
  EXPECT_EQ(c.modo, 0);
  EXPECT_EQ(c.linea, "L");
  EXPECT_EQ(c.treno, "T%%TRENO%%");
  EXPECT_EQ(sc::fuzz::dividi(sc::fuzz::unisci(c)).treno, c.treno);
  const sc::fuzz::Coppia solo = sc::fuzz::dividi("only a line");
  EXPECT_EQ(solo.modo, 1);
  EXPECT_EQ(solo.linea, "only a line");
  EXPECT_EQ(solo.treno, "");
}

}  // namespace
