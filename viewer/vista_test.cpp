#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "format/compiled_decode_test.h"
#include "viewer/vista_dati.h"
#include "viewer/vista_geometria.h"
#include "writers/scenario.h"

namespace sc::vista {
namespace {

TEST(Finestra, ZoomKeepsThePointUnderThePointerAndStaysOnTheLine) {
  const double fine = 100000;
  Finestra f{0, fine};
  f.zoom(0.5, 30000, fine);  // 30 km stays 30 % across
  EXPECT_DOUBLE_EQ(f.da, 15000);
  EXPECT_DOUBLE_EQ(f.a, 65000);
  f.sposta(-50000, fine);  // not before the start
  EXPECT_DOUBLE_EQ(f.da, 0);
  EXPECT_DOUBLE_EQ(f.a, 50000);
  f.centra(99000, fine);  // not past the end
  EXPECT_DOUBLE_EQ(f.a, fine);
  EXPECT_DOUBLE_EQ(f.ampiezza(), 50000);
  for (int i = 0; i < 100; ++i) f.zoom(0.5, 70000, fine);
  EXPECT_DOUBLE_EQ(f.ampiezza(), 500);  // never narrower than 500 m
  for (int i = 0; i < 100; ++i) f.zoom(2, 70000, fine);
  EXPECT_DOUBLE_EQ(f.da, 0);  // never wider than the line
  EXPECT_DOUBLE_EQ(f.a, fine);
}

class Provenienza : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = prova::cartella_prova("vista");
    s.linea = (dir / "Corvale_Pravena AV_linea.txt").string();
    s.treno = (dir / "Corvale_Pravena AV_409-.txt").string();
    prova::scrivi(s.linea, dati_linea());
    std::string t = dati_treno();
    const size_t sezione = t.find("[rallentamenti]");
    ASSERT_NE(sezione, std::string::npos);
    t.insert(t.find('\n', sezione) + 1, "rallentamento,   8000,  60,  1000,  1,  1,  0\r\n");
    prova::scrivi(s.treno, t);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
  Sorgente s;
};

TEST_F(Provenienza, EachCellNamesTheEntriesThatPutItThere) {
  const Caricamento c = carica(s);
  ASSERT_TRUE(c.errore.empty()) << c.errore;
  ASSERT_TRUE(c.faults.empty()) << riga_fault(c.faults.front());
  EXPECT_EQ(c.esito, "compiled without fault");
  const int riga = [&] {
    for (const Voce& v : c.voci)
      if (v.chiave() == "rallentamento") return v.riga;
    return 0;
  }();
  ASSERT_GT(riga, 0);
  const std::string rall = "Corvale_Pravena AV_409-.txt:" + std::to_string(riga) + ": rallentamento, 8000, 60, 1000, 1, 1, 0";
  // warning (8000 - 1200 m), start, end (8000 + 1000 m): cells one after
  // their positions; a tunnel cell names its tunnel; every cell its speed
  // and gradient entries.
  const struct {
    size_t cella;
    std::string prima;  // the first entry named
  } casi[] = {
      {137, rall},
      {161, rall},
      {181, rall},
      {71, "Corvale_Pravena AV_409-.txt:18: segnale, 3500, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0"},
      {1668, "Corvale_Pravena AV_409-.txt:56: abbattimento, 83400, 280"},
      {5, "Corvale_Pravena AV_409-.txt:9: velocita, 0, 30"},
  };
  for (const auto& caso : casi) {
    const std::vector<std::string> p = provenienza(c, caso.cella);
    ASSERT_FALSE(p.empty()) << caso.cella;
    EXPECT_EQ(p.front(), caso.prima) << caso.cella;
  }
  const std::vector<std::string> galleria = provenienza(c, 100);
  ASSERT_FALSE(galleria.empty());
  EXPECT_EQ(galleria.back(), "Corvale_Pravena AV_linea.txt:43: montagna, 4500, 15200, 11");
  EXPECT_TRUE(provenienza(c, 100000).empty());
  const std::vector<std::string> d = descrivi_cella(c, 71);
  ASSERT_GE(d.size(), 2u);
  EXPECT_EQ(d[0], "cell 71: 3550 to 3600 m");
  EXPECT_EQ(d[1], "signal at 3500 m: left 2 (4/1/1), right 2 (2/1/1), rapp 0");
}

TEST_F(Provenienza, AFaultIsListedAndNothingIsWritten) {
  std::ifstream in(s.treno, std::ios::binary);
  std::string t((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  t.replace(t.find("segnale,    7500,"), 17, "segnale,    3500,");
  prova::scrivi(s.treno, t);
  const Caricamento c = carica(s);
  ASSERT_EQ(c.faults.size(), 1u);
  EXPECT_EQ(c.esito, "1 fault");
  EXPECT_NE(riga_fault(c.faults.front()).find(":19:13: error: signal cell 71 already holds a signal"),
            std::string::npos)
      << riga_fault(c.faults.front());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2);  // the two descriptions only
}

}  // namespace
}  // namespace sc::vista
