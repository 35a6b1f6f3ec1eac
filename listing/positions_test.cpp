#include "format/positions.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "compiler/compile_entry.h"
#include "format/compiled_decode_test.h"
#include "listing/listing.h"
#include "writers/scenario.h"

namespace sc {
namespace {

Cella of_type(uint8_t tipo) {
  Cella c;
  c.tipo = tipo;
  return c;
}

TEST(DescriptionMetres, ElementsPlacedInTheCellAfterTheirPositionAreOneCellBack) {
  const struct {
    uint8_t tipo;
    int64_t metres;  // of cell 71
  } cases[] = {
      {tipo_cella::segnale, 3500},
      {tipo_cella::fine_rallentamento, 3500},
      {tipo_cella::inizio_rallentamento, 3500},
      {tipo_cella::avviso_rallentamento, 3500},
      {tipo_cella::indicatori_v_max, 3500},
      {tipo_cella::cartello_indicatore, 3500},
      {tipo_cella::codice, 3550},  // a cab code stands in the cell of its position
      {tipo_cella::codice_senza_velocita, 3550},
      {tipo_cella::approccio_rallentamento, 3550},
      {tipo_cella::marca_galleria, 3550},
      {tipo_cella::vuota, 3550},
  };
  for (const auto& c : cases)
    EXPECT_EQ(description_metres(of_type(c.tipo), 71), c.metres) << int(c.tipo);
}

TEST(Stretches, JoinEqualCellsAndCutToAWindow) {
  std::vector<Cella> celle(8);
  const uint8_t galleria[] = {0, 1, 1, 0, 0, 3, 3, 0};
  const uint8_t velocita[] = {6, 6, 50, 50, 50, 50, 50, 0};
  for (size_t i = 0; i < celle.size(); ++i) {
    celle[i].galleria = galleria[i];
    celle[i].velocita = velocita[i];
    celle[i].pendenza = 100;
  }
  EXPECT_EQ(stretches(celle, Profile::galleria),
            (std::vector<Stretch>{{50, 150, 1}, {250, 350, 3}}));
  EXPECT_EQ(stretches(celle, Profile::velocita),
            (std::vector<Stretch>{{0, 100, 30}, {100, 350, 250}, {350, 400, 0}}));
  EXPECT_EQ(stretches(celle, Profile::pendenza), (std::vector<Stretch>{{0, 400, 0}}));
  EXPECT_EQ(clip(stretches(celle, Profile::velocita), 75, 120),
            (std::vector<Stretch>{{75, 100, 30}, {100, 120, 250}}));
  EXPECT_TRUE(clip(stretches(celle, Profile::galleria), 150, 250).empty());  // between the two
  EXPECT_TRUE(stretches({}, Profile::velocita).empty());
}

// The embedded scenario compiled, then shown: each entry shows where the
// description wrote it, each tunnel entry is one stretch.
TEST(Stretches, EmbeddedScenarioShowsItsEntriesAsWritten) {
  CompileResult r = compile_descriptions(
      {{"l.txt", dati_linea()}, {"t.txt", dati_treno()}, "Corvale_Pravena AV", "409", 1, false});
  ASSERT_TRUE(r.log.empty());
  const Percorso& p = r.model;

  const std::vector<Stretch> tunnels = stretches(p.celle, Profile::galleria);
  ASSERT_EQ(tunnels.size(), 11u);
  EXPECT_EQ(tunnels.front(), (Stretch{4500, 15200, 1}));
  EXPECT_EQ(tunnels[4], (Stretch{41000, 44500, 3}));  // within 150 m of the one before
  EXPECT_EQ(tunnels.back(), (Stretch{91000, 91300, 2}));
  const std::vector<Stretch> v = stretches(p.celle, Profile::velocita);
  ASSERT_GE(v.size(), 2u);
  EXPECT_EQ(v[0], (Stretch{0, 1500, 30}));
  EXPECT_EQ(v[1].from, 1500);
  EXPECT_EQ(v[1].valore, 250);
  const std::vector<Stretch> g = stretches(p.celle, Profile::pendenza);
  ASSERT_GE(g.size(), 3u);
  EXPECT_EQ(g[0], (Stretch{0, 1000, 0}));
  EXPECT_EQ(g[1], (Stretch{1000, 4500, 1}));

  const std::array<Elemento, numero_elementi>* el = &p.elementi;
  EXPECT_EQ(cella_metres(p.celle[71], 71, el), 3500);
  EXPECT_EQ(cella_metres(p.celle[1668], 1668, el), 83400);  // cab code
  EXPECT_EQ(cella_metres(p.celle[602], 602, el), 29950);    // station stop: its progressiva
  // The board written at 4400 m, with its text.
  EXPECT_EQ(cella_metres(p.celle[89], 89, el), 4400);
  EXPECT_EQ(cella_detail(p.celle[89], 89, el),
            "\"(GALLERIA PIANORO)( Km. 10.710     )\" (record 80)");
  EXPECT_EQ(cella_detail(p.celle[89], 89), "text in record 80");

  InspectOptions o;
  o.only = {CellaFilter::tunnels};
  o.metres = MetreRange{60000, 64000};
  const std::string t = show_celle(p.celle, o, el);
  EXPECT_NE(t.find("Tunnels (kind): 4 stretches\n"), std::string::npos) << t;
  EXPECT_NE(t.find("       60000      60050        1\n"), std::string::npos) << t;  // cut at 60 km
  EXPECT_EQ(t.find("cells shown"), std::string::npos) << t;  // no cell table for tunnels alone
  o.only = {CellaFilter::cartelli};
  const std::string b = show_celle(p.celle, o, el);
  EXPECT_NE(b.find("(VIADOTTO SIEVE)"), std::string::npos) << b;
  EXPECT_NE(b.find("3 cells shown"), std::string::npos) << b;  // 61550, 63200, 63550
}

TEST(KmRange, KilometresToMetres) {
  EXPECT_EQ(range_from_km("3.5:4").from, 3500);
  EXPECT_EQ(range_from_km("3.5:4").a, 4000);
  EXPECT_EQ(range_from_km(":4").from, 0);
  EXPECT_EQ(range_from_km("90:").a, INT64_MAX);
  for (const char* male : {"4:3", "x:1", "1", "-1:2", "1:2:3", "nan:1"})
    EXPECT_THROW(range_from_km(male), std::invalid_argument) << male;
}

}  // namespace
}  // namespace sc
