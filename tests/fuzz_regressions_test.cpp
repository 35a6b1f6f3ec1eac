// Replays the fuzz inputs kept in the repository (fuzz/corpus/<target>/ and
// fuzz/regressions/<target>/) through the checks the libFuzzer targets run,
// so that the sanitizer build repeats them without clang. A regression input
// is one that once crashed or broke a property; it must now pass.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "tests/support/replay_fuzz.h"

namespace {

using sc::test::replay_fuzz;

TEST(FuzzRegressions, FieldReader) { replay_fuzz("field_reader", sc::fuzz::check_field_reader); }

TEST(FuzzRegressions, LineHalf) { replay_fuzz("line", sc::fuzz::check_linea); }

TEST(FuzzRegressions, TrainHalf) { replay_fuzz("train", sc::fuzz::check_treno); }

TEST(FuzzRegressions, WholeCompile) { replay_fuzz("compile", sc::fuzz::check_compilation); }

// The checks themselves catch what they are there for.
TEST(FuzzRegressions, ChecksReportABrokenProperty) {
  sc::Percorso p;
  p.nome_scenario = "Fuzz";
  p.numero_treno = "1";
  sc::FaultLog log;
  sc::record(p, log, sc::Fault{25, std::nullopt, std::nullopt, ""});  // a fault that says nothing
  EXPECT_NE(sc::fuzz::detail::check_log(p, log), "");

  // An element table one byte short, and one with a byte too many.
  p.elementi[sc::record_sfondo_identita].nome = "Fuzz";
  p.elementi[sc::record_sfondo_identita].dato_7 = sc::marca_elementi;
  const std::string table = sc::serializza_elementi(p.elementi);
  EXPECT_EQ(sc::fuzz::detail::check_elementi(table, p), "");
  EXPECT_NE(sc::fuzz::detail::check_elementi(table.substr(0, table.size() - 1), p), "");
  EXPECT_NE(sc::fuzz::detail::check_elementi(table + '\0', p), "");
}

TEST(FuzzRegressions, InputSplitsIntoModeLineAndTrain) {
  const sc::fuzz::Pair c = sc::fuzz::split("#0\nL%%TRENO%%T%%TRENO%%");
  EXPECT_EQ(c.modo, 0);
  EXPECT_EQ(c.linea, "L");
  EXPECT_EQ(c.treno, "T%%TRENO%%");
  EXPECT_EQ(sc::fuzz::split(sc::fuzz::merge(c)).treno, c.treno);
  const sc::fuzz::Pair only = sc::fuzz::split("only a line");
  EXPECT_EQ(only.modo, 1);
  EXPECT_EQ(only.linea, "only a line");
  EXPECT_EQ(only.treno, "");
}

}  // namespace
