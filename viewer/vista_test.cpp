#include <gtest/gtest.h>

#include <algorithm>
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
  const std::string rall = "Corvale_Pravena AV_409-.txt:" + std::to_string(riga) +
                           ": rallentamento, 8000, 60, 1000, 1, 1, 0";
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
  EXPECT_NE(
      riga_fault(c.faults.front()).find(":19:13: error: signal cell 71 already holds a signal"),
      std::string::npos)
      << riga_fault(c.faults.front());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}),
            2);  // the two descriptions only
}

// A warning is listed in the pane with its line, and a click on it goes to
// the position of its entry when the entry has one; the scenario is drawn
// as without it.
TEST_F(Provenienza, AWarningIsListedWithItsLineAndTheEntrysPosition) {
  const std::string originale = [&] {
    std::ifstream in(s.treno, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }();
  const size_t sezione = originale.find("[rallentamenti]");
  ASSERT_NE(sezione, std::string::npos);
  const size_t inizio = originale.find('\n', sezione) + 1;
  const int riga = static_cast<int>(std::count(
                       originale.begin(), originale.begin() + static_cast<long>(inizio), '\n')) +
                   1;
  const struct {
    std::string voce;
    std::string codice;
    std::optional<int32_t> posizione;
  } casi[] = {
      {"velocita,   1500,   250,   20", "[W2]", 1500},  // a value left over: the entry's position
      {"velocita-limite,   1500,   250", "[W4]",
       1500},  // an entry disabled by a hyphen: where it stood
      {"velocia,   1500,   250", "[W1]", std::nullopt},  // an unknown key: no position to go to
  };
  for (const auto& caso : casi) {
    std::string t = originale;
    t.insert(inizio, caso.voce + "\r\n");
    prova::scrivi(s.treno, t);
    const Caricamento c = carica(s);
    ASSERT_TRUE(c.errore.empty()) << c.errore;
    EXPECT_TRUE(c.faults.empty()) << caso.voce;
    EXPECT_TRUE(c.ha_celle()) << caso.voce;
    EXPECT_EQ(c.esito, "compiled without fault, 1 warning") << caso.voce;
    ASSERT_EQ(c.pannello.size(), 1u) << caso.voce;
    const VocePannello& v = c.pannello.front();
    EXPECT_EQ(v.gravita, Gravita::avviso) << caso.voce;
    EXPECT_EQ(v.file, s.treno) << caso.voce;
    EXPECT_EQ(v.riga, riga) << caso.voce;
    EXPECT_NE(v.testo.find("409-.txt:" + std::to_string(riga) + ":"), std::string::npos) << v.testo;
    EXPECT_NE(v.testo.find(": warning: "), std::string::npos) << v.testo;
    EXPECT_NE(v.testo.find(caso.codice), std::string::npos) << v.testo;
    EXPECT_EQ(v.posizione, caso.posizione) << caso.voce;
  }
}

// Faults and warnings together, in the order they were found (the order
// `check` prints them): the warning of an entry written before the taken
// signal comes first.
TEST_F(Provenienza, FaultsAndWarningsAreListedInTheOrderFound) {
  std::ifstream in(s.treno, std::ios::binary);
  std::string t((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  t.replace(t.find("segnale,    7500,"), 17, "segnale,    3500,");
  ASSERT_LT(t.find("[rallentamenti]"), t.find("segnale,    3500,"));
  t.insert(t.find('\n', t.find("[rallentamenti]")) + 1, "velocita,   1500,   250,   20\r\n");
  prova::scrivi(s.treno, t);
  const Caricamento c = carica(s);
  EXPECT_EQ(c.esito, "1 fault, 1 warning");
  ASSERT_EQ(c.faults.size(), 1u);
  ASSERT_EQ(c.pannello.size(), 2u);
  EXPECT_EQ(c.pannello[0].gravita, Gravita::avviso);
  EXPECT_EQ(c.pannello[0].posizione, 1500);
  EXPECT_EQ(c.pannello[1].gravita, Gravita::errore);
  EXPECT_LT(c.pannello[0].riga, c.pannello[1].riga);
  EXPECT_EQ(c.pannello[1].testo, riga_fault(c.faults.front()));
  EXPECT_EQ(c.pannello[1].posizione, 3500);  // the fault's own position
}

// The view compiles as `check` does: a --train that the train file's name
// contradicts is the same warning, first in the pane.
TEST_F(Provenienza, ATrainNumberAgainstTheFileNameIsWarnedAsCheckDoes) {
  s.numero = "410";
  const Caricamento c = carica(s);
  EXPECT_EQ(c.esito, "compiled without fault, 1 warning");
  ASSERT_EQ(c.pannello.size(), 1u);
  EXPECT_EQ(c.pannello[0].gravita, Gravita::avviso);
  EXPECT_NE(c.pannello[0].testo.find("--train 410 differs from the train number 409 of the file name"),
            std::string::npos)
      << c.pannello[0].testo;
}

TEST(PosizioneVoce, OnlyKeysThatPlaceSomethingGiveTheirFirstValue) {
  const std::vector<Voce> voci = voci_descrizione(
      "[generale]\n"
      "lunghezza percorso, 92000\n"
      "curvad3, 2500, 400\n"
      "cartello_indicatore, 4400, (GALLERIA)\n"
      "segnale, abc, 2\n"
      "sabbia, 300\n"
      "stazione, 9000, 1\n",
      "l.txt");
  const struct {
    std::string file;
    int riga;
    std::optional<int32_t> attesa;
  } casi[] = {
      {"l.txt", 2, std::nullopt},  // the line length is no position
      {"l.txt", 3, 2500},         {"l.txt", 4, 4400},
      {"l.txt", 5, std::nullopt},  // not a number
      {"l.txt", 6, std::nullopt}, {"l.txt", 7, 9000},
      {"l.txt", 0, std::nullopt},                              // no line
      {"l.txt", 9, std::nullopt}, {"t.txt", 3, std::nullopt},  // another file
  };
  for (const auto& caso : casi)
    EXPECT_EQ(posizione_voce(voci, caso.file, caso.riga), caso.attesa)
        << caso.file << ":" << caso.riga;
}

TEST_F(Provenienza, BoardsAreLabelledWithTheirSpeedsAndTexts) {
  const Caricamento c = carica(s);
  ASSERT_TRUE(c.ha_celle());
  const std::vector<EtichettaCartello> e =
      etichette_cartelli(c.scenario, 0, c.scenario.celle.size());
  const auto di = [&](size_t cella) -> const EtichettaCartello* {
    for (const EtichettaCartello& x : e)
      if (x.cella == cella) return &x;
    return nullptr;
  };
  const struct {
    size_t cella;
    int64_t metri;
    std::string testo;
  } casi[] = {
      {41, 2000, "80/90/100"},                     // indicatori_vmax, 2000, 80, 90, 100, ...
      {89, 4400, "GALLERIA PIANORO Km. 10.710"},   // (GALLERIA PIANORO)( Km. 10.710     )
      {329, 16400, "GALLERIA SADURANO Km. 3767"},  // (   GALLERIA)(   SADURANO)(   Km. 3767)
  };
  for (const auto& caso : casi) {
    const EtichettaCartello* x = di(caso.cella);
    ASSERT_NE(x, nullptr) << caso.cella;
    EXPECT_EQ(x->metri, caso.metri);
    EXPECT_EQ(x->testo, caso.testo);
  }
  EXPECT_TRUE(std::is_sorted(e.begin(), e.end(),
                             [](const auto& a, const auto& b) { return a.cella < b.cella; }));
  // Only the cells asked for, and none past the end.
  const std::vector<EtichettaCartello> tra = etichette_cartelli(c.scenario, 42, 90);
  ASSERT_EQ(tra.size(), 1u);
  EXPECT_EQ(tra.front().cella, 89u);
  EXPECT_TRUE(etichette_cartelli(c.scenario, 100000, 100010).empty());
}

TEST(EtichetteConPosto, ALabelIsDrawnWhenItEndsBeforeTheNextMark) {
  const struct {
    std::vector<int> x, larghezza;
    std::vector<bool> attese;
  } casi[] = {
      {{0, 100, 200}, {50, 50, 50}, {true, true, true}},    // room for all
      {{0, 40, 200}, {50, 50, 50}, {false, true, true}},    // the first would cover the next mark
      {{0, 100, 130}, {50, 20, 50}, {true, false, true}},   // the second ends past the third mark
      {{0, 100, 200}, {50, 50, 200}, {true, true, false}},  // the last runs past the edge
      {{}, {}, {}},
  };
  for (const auto& caso : casi)
    EXPECT_EQ(etichette_con_posto(caso.x, caso.larghezza, 300, 6), caso.attese);
}

}  // namespace
}  // namespace sc::vista
