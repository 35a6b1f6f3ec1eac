// The line half of the description parse on the embedded line description:
// cells, tunnels, boards, gradients, general records and the track plan; and
// that the compile is done with both descriptions afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "compiler/compile_entry.h"
#include "compiler/line_parser.h"
#include "compiler/tracciato_piano.h"
#include "tests/support/test_dir.h"
#include "writers/scenario.h"

namespace sc {
namespace {

namespace fs = std::filesystem;

class EmbeddedLine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    p_ = new Percorso;
    log_ = new FaultLog;
    p_->modo = 1;
    ReadState s{*p_, *log_};
    FieldReader r(dati_linea(), "Corvale_Pravena AV_linea.txt");
    outcome_ = read_line(s, r);
    indice_cartelli_ = s.indice_cartelli;
  }
  static void TearDownTestSuite() {
    delete p_;
    delete log_;
  }
  static const Cella& cella(int i) { return p_->celle.at(static_cast<size_t>(i)); }

  static Percorso* p_;
  static FaultLog* log_;
  static LineOutcome outcome_;
  static int32_t indice_cartelli_;
};

Percorso* EmbeddedLine::p_ = nullptr;
FaultLog* EmbeddedLine::log_ = nullptr;
LineOutcome EmbeddedLine::outcome_ = LineOutcome::fine;
int32_t EmbeddedLine::indice_cartelli_ = 0;

TEST_F(EmbeddedLine, ParsesWithoutFaultAndSizesCellsAndPlan) {
  EXPECT_EQ(p_->codice_errore, 0);
  EXPECT_TRUE(log_->empty());
  EXPECT_EQ(outcome_, LineOutcome::continua);
  EXPECT_EQ(p_->last_cell(), 1980);
  EXPECT_EQ(p_->lunghezza_totale, 99000);
  ASSERT_EQ(p_->tracciato.rows(), 99001);
  const Tracciato t = plan_in_memory(p_->tracciato);
  for (int c = 0; c < 2; ++c) {
    const std::vector<Numero>& col = t.column(c);
    EXPECT_EQ(col[0].tag, Numero::Tag::integer);
    EXPECT_EQ(col[1].tag, Numero::Tag::integer);
    for (int i = 2; i <= 98998; ++i) ASSERT_EQ(col[i].tag, Numero::Tag::real) << c << " " << i;
    EXPECT_EQ(col[98999].tag, Numero::Tag::empty);
    EXPECT_EQ(col[99000].tag, Numero::Tag::empty);
  }
  // Straight along +y up to the first curve, which turns right.
  EXPECT_EQ(t.column(0)[2000].valore, 0);
  EXPECT_EQ(t.column(1)[2000].valore, 2000);
  EXPECT_GT(t.column(0)[11000].valore, 0);
}

TEST_F(EmbeddedLine, GeneralRecords) {
  for (int r = 81; r <= 83; ++r) {
    EXPECT_EQ(p_->elementi[r].inizio, 0) << r;
    EXPECT_EQ(p_->elementi[r].fine, 0) << r;
    EXPECT_EQ(p_->elementi[r].progressiva, 0) << r;
  }
  EXPECT_EQ(p_->elementi[84].fine, 92000);
  EXPECT_EQ(p_->elementi[85].inizio, 0);
  EXPECT_EQ(p_->elementi[85].fine, 3000);
  EXPECT_EQ(p_->elementi[85].progressiva, 1);
  EXPECT_EQ(p_->elementi[86].inizio, 1000);
  EXPECT_EQ(p_->elementi[86].fine, 80000);
  EXPECT_EQ(p_->elementi[86].progressiva, 9);
}

TEST_F(EmbeddedLine, IndicationBoardsInRecords80DownTo69) {
  const struct {
    int32_t posizione;
    const char* text;
  } cartelli[] = {
      {4400, "(GALLERIA PIANORO)( Km. 10.710     )"},
      {16400, "(   GALLERIA)(   SADURANO)(   Km. 3767)"},
      {20450, "(  GALLERIA    )(  MONTE BIBELE)(   Km.9101    )"},
      {30450, "(GALLERIA  )(RATICOSA  )(Km. 10.366)"},
      {40900, "(VIADOTTO)(DIATERNA)(m.109   )"},
      {40950, "(GALLERIA    )(SCHEGGIANICO)(Km.3534     )"},
      {44700, "(VIADOTTO)(SANTERNO)(m.262   )"},
      {44950, "(GALLERIA  )(FIRENZUOLA)(Km.15.060 )"},
      {61550, "(GALLERIA   )(B. RINZELLI)(Km. 1.150  )"},
      {63200, "(VIADOTTO SIEVE)(  m. 641      )"},
      {63550, "(GALLERIA )(MORTICINE)(m.250    )"},
      {64500, "(GALLRIA VAGLIA)(Km. 18.561    )"},
  };
  int record = 80;
  for (const auto& c : cartelli) {
    const int i = static_cast<int>(arrotonda(c.posizione / 50.0 + 1));
    EXPECT_EQ(cella(i).tipo, tipo_cella::cartello_indicatore) << c.posizione;
    EXPECT_EQ(cella(i).valore_1, record) << c.posizione;
    EXPECT_EQ(p_->elementi[record].nome, c.text) << c.posizione;
    --record;
  }
  EXPECT_EQ(cella(89).valore_1, 80);
  EXPECT_EQ(indice_cartelli_, 68);
  EXPECT_EQ(p_->elementi[68].nome, "");
  EXPECT_EQ(p_->elementi[0], Elemento{});
}

TEST_F(EmbeddedLine, TunnelsAndMarkers) {
  for (int i = 89; i <= 304; ++i) {
    EXPECT_EQ(cella(i).galleria, i >= 90 && i <= 303 ? 1 : 0) << i;
    if (i == 121 || i == 221) continue;  // speed-indicator boards replaced the markers
    const bool marca = i >= 93 && i <= 301 && (i - 93) % 4 == 0;
    EXPECT_EQ(cella(i).tipo == tipo_cella::marca_galleria, marca) << i;
  }
  EXPECT_EQ(cella(121).tipo, tipo_cella::indicatori_v_max);
  EXPECT_EQ(cella(221).tipo, tipo_cella::indicatori_v_max);
  EXPECT_EQ(p_->numero_montagne, 11);
  const struct {
    int32_t inizio;
    int galleria;
  } montagne[] = {{4500, 1},  {16500, 1}, {20500, 1}, {30500, 1}, {41000, 3}, {45000, 1},
                  {60100, 3}, {61600, 1}, {63550, 2}, {64500, 1}, {91000, 2}};
  for (const auto& m : montagne) {
    EXPECT_EQ(cella(static_cast<int>(arrotonda(m.inizio / 50.0))).galleria, m.galleria) << m.inizio;
  }
  for (int i = 1271; i <= 1275; ++i) EXPECT_NE(cella(i).tipo, tipo_cella::marca_galleria) << i;
}

TEST_F(EmbeddedLine, SpeedIndicatorBoards) {
  EXPECT_EQ(cella(41).tipo, tipo_cella::indicatori_v_max);
  EXPECT_EQ(cella(41).valore_1, 1616);
  EXPECT_EQ(cella(41).valore_2, 1818);
  EXPECT_EQ(cella(41).valore_3, 2020);
  EXPECT_EQ(cella(41).valore_4, 22);
  EXPECT_EQ(cella(221).valore_1, 6060);
  EXPECT_EQ(cella(1720).valore_2, 1919);  // 95 and 95 at 85950
  EXPECT_EQ(cella(1850).valore_4, 22);    // at 92450
}

TEST_F(EmbeddedLine, Gradients) {
  const struct {
    int from, a, byte;
  } stretches[] = {{0, 19, 100},      {20, 89, 101},    {90, 149, 100},
                   {1470, 1609, 101}, {1610, 1977, 96}, {1978, 1980, 0}};
  for (const auto& t : stretches) {
    for (int i = t.from; i <= t.a; ++i) ASSERT_EQ(cella(i).pendenza, t.byte) << i;
  }
}

TEST(EmbeddedLineFile, TheParseIsDoneWithBothDescriptions) {
  const CompileResult r =
      compile_descriptions({{test::file_scenario::linea_txt, dati_linea()},
                            {test::file_scenario::treno_txt, "[generale]\r\n[fine]\r\n"},
                            "Corvale_Pravena AV",
                            "409",
                            1,
                            false});
  const Percorso& p = r.model;
  EXPECT_EQ(p.codice_errore, 0);
  EXPECT_TRUE(r.line_consumed);
  EXPECT_TRUE(r.train_consumed);
  EXPECT_EQ(p.elementi[85].nome, "Corvale_Pravena AV");
  EXPECT_EQ(p.elementi[86].nome, "409");
  EXPECT_EQ(p.last_cell(), 1980);
}

}  // namespace
}  // namespace sc
