#include "format/posizioni.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "format/compiled_decode_test.h"
#include "esamina/esamina.h"
#include "compiler/compile_entry.h"
#include "writers/scenario.h"

namespace sc {
namespace {

Cella di_tipo(uint8_t tipo) {
  Cella c;
  c.tipo = tipo;
  return c;
}

TEST(MetriDescrizione, ElementsPlacedInTheCellAfterTheirPositionAreOneCellBack) {
  const struct {
    uint8_t tipo;
    int64_t metri;  // of cell 71
  } casi[] = {
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
  for (const auto& c : casi) EXPECT_EQ(metri_descrizione(di_tipo(c.tipo), 71), c.metri) << int(c.tipo);
}

TEST(Tratti, JoinEqualCellsAndCutToAWindow) {
  std::vector<Cella> celle(8);
  const uint8_t galleria[] = {0, 1, 1, 0, 0, 3, 3, 0};
  const uint8_t velocita[] = {6, 6, 50, 50, 50, 50, 50, 0};
  for (size_t i = 0; i < celle.size(); ++i) {
    celle[i].galleria = galleria[i];
    celle[i].velocita = velocita[i];
    celle[i].pendenza = 100;
  }
  EXPECT_EQ(tratti(celle, Profilo::galleria), (std::vector<Tratto>{{50, 150, 1}, {250, 350, 3}}));
  EXPECT_EQ(tratti(celle, Profilo::velocita), (std::vector<Tratto>{{0, 100, 30}, {100, 350, 250}, {350, 400, 0}}));
  EXPECT_EQ(tratti(celle, Profilo::pendenza), (std::vector<Tratto>{{0, 400, 0}}));
  EXPECT_EQ(ritaglia(tratti(celle, Profilo::velocita), 75, 120),
            (std::vector<Tratto>{{75, 100, 30}, {100, 120, 250}}));
  EXPECT_TRUE(ritaglia(tratti(celle, Profilo::galleria), 150, 250).empty());  // between the two
  EXPECT_TRUE(tratti({}, Profilo::velocita).empty());
}

// The embedded scenario compiled, then shown: each entry shows where the
// description wrote it, each tunnel entry is one stretch.
TEST(Tratti, EmbeddedScenarioShowsItsEntriesAsWritten) {
  CompileResult r = compile_descriptions(
      {{"l.txt", dati_linea()}, {"t.txt", dati_treno()}, "Corvale_Pravena AV", "409", 1, false});
  ASSERT_TRUE(r.log.empty());
  const Percorso& p = r.model;

  const std::vector<Tratto> gallerie = tratti(p.celle, Profilo::galleria);
  ASSERT_EQ(gallerie.size(), 11u);
  EXPECT_EQ(gallerie.front(), (Tratto{4500, 15200, 1}));
  EXPECT_EQ(gallerie[4], (Tratto{41000, 44500, 3}));  // within 150 m of the one before
  EXPECT_EQ(gallerie.back(), (Tratto{91000, 91300, 2}));
  const std::vector<Tratto> v = tratti(p.celle, Profilo::velocita);
  ASSERT_GE(v.size(), 2u);
  EXPECT_EQ(v[0], (Tratto{0, 1500, 30}));
  EXPECT_EQ(v[1].da, 1500);
  EXPECT_EQ(v[1].valore, 250);
  const std::vector<Tratto> g = tratti(p.celle, Profilo::pendenza);
  ASSERT_GE(g.size(), 3u);
  EXPECT_EQ(g[0], (Tratto{0, 1000, 0}));
  EXPECT_EQ(g[1], (Tratto{1000, 4500, 1}));

  const std::array<Elemento, numero_elementi>* el = &p.elementi;
  EXPECT_EQ(metri_cella(p.celle[71], 71, el), 3500);
  EXPECT_EQ(metri_cella(p.celle[1668], 1668, el), 83400);  // cab code
  EXPECT_EQ(metri_cella(p.celle[602], 602, el), 29950);    // station stop: its progressiva
  // The board written at 4400 m, with its text.
  EXPECT_EQ(metri_cella(p.celle[89], 89, el), 4400);
  EXPECT_EQ(dettaglio_cella(p.celle[89], 89, el), "\"(GALLERIA PIANORO)( Km. 10.710     )\" (record 80)");
  EXPECT_EQ(dettaglio_cella(p.celle[89], 89), "text in record 80");

  OpzioniInspect o;
  o.solo = {FiltroCelle::gallerie};
  o.metri = IntervalloMetri{60000, 64000};
  const std::string t = mostra_celle(p.celle, o, el);
  EXPECT_NE(t.find("Tunnels (kind): 4 stretches\n"), std::string::npos) << t;
  EXPECT_NE(t.find("       60000      60050        1\n"), std::string::npos) << t;  // cut at 60 km
  EXPECT_EQ(t.find("cells shown"), std::string::npos) << t;  // no cell table for tunnels alone
  o.solo = {FiltroCelle::cartelli};
  const std::string b = mostra_celle(p.celle, o, el);
  EXPECT_NE(b.find("(VIADOTTO SIEVE)"), std::string::npos) << b;
  EXPECT_NE(b.find("3 cells shown"), std::string::npos) << b;  // 61550, 63200, 63550
}

TEST(IntervalloKm, KilometresToMetres) {
  EXPECT_EQ(intervallo_da_km("3.5:4").da, 3500);
  EXPECT_EQ(intervallo_da_km("3.5:4").a, 4000);
  EXPECT_EQ(intervallo_da_km(":4").da, 0);
  EXPECT_EQ(intervallo_da_km("90:").a, INT64_MAX);
  for (const char* male : {"4:3", "x:1", "1", "-1:2", "1:2:3", "nan:1"})
    EXPECT_THROW(intervallo_da_km(male), std::invalid_argument) << male;
}

}  // namespace
}  // namespace sc
