// The train half of the description parse through the compile's entry: the
// embedded scenario, and every fault of the train half with its position,
// and that the parse is done with both descriptions (the embedded run then
// deletes them).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "compiler/compile_entry.h"
#include "writers/scenario.h"

namespace sc {
namespace {

std::string crlf(const std::vector<std::string>& rows) {
  std::string out;
  for (const std::string& r : rows) out += r + "\r\n";
  return out;
}

struct TrainOutcome {
  Percorso p;
  FaultLog log;
  bool line_left = true;  // the parse was not done with it
  bool train_left = true;
};

// Compiles the two descriptions as the embedded run does.
void compile(TrainOutcome& e, const std::string& linea, const std::string& treno) {
  CompileResult r = compile_descriptions({{"Corvale_Pravena AV_linea.txt", linea},
                                          {"Corvale_Pravena AV_409-.txt", treno},
                                          "Corvale_Pravena AV",
                                          "409",
                                          1,
                                          false});
  e.p = std::move(r.model);
  e.log = std::move(r.log);
  e.line_left = !r.line_consumed;
  e.train_left = !r.train_consumed;
}

TEST(EmbeddedTrain, ParsesWithoutFault) {
  TrainOutcome e;
  compile(e, dati_linea(), dati_treno());
  const Percorso& p = e.p;
  ASSERT_EQ(p.codice_errore, 0) << (e.log.empty() ? "" : e.log.all().back().message);
  EXPECT_TRUE(e.log.empty());
  EXPECT_FALSE(e.line_left);
  EXPECT_FALSE(e.train_left);
  ASSERT_EQ(p.last_cell(), 1980);

  // Stations.
  const int32_t inizio[] = {-700, 29750, 92900}, fine[] = {700, 30150, 93850};
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(p.elementi[static_cast<size_t>(k)].inizio, inizio[k - 1]) << k;
    EXPECT_EQ(p.elementi[static_cast<size_t>(k)].fine, fine[k - 1]) << k;
  }
  EXPECT_EQ(p.elementi[1].nome, "CORVALE CENTRALE");
  EXPECT_EQ(p.elementi[3].nome, "PRAVENA S.M.N");
  EXPECT_EQ(p.elementi[3].orario, 42600);
  EXPECT_EQ(p.elementi[4], Elemento{});
  std::vector<int> stops, warnings;
  int segnali = 0, rallentamenti = 0;
  for (size_t i = 0; i < p.celle.size(); ++i) {
    const Cella& c = p.celle[i];
    if (c.tipo == tipo_cella::fermata) {
      stops.push_back(static_cast<int>(i));
      EXPECT_EQ(c.valore_1, static_cast<int>(stops.size()));
    }
    if (c.avviso >= 81 && c.avviso <= 84 && (i < 20 || (i > 590 && i < 610)))
      warnings.push_back(static_cast<int>(i));
    segnali += c.tipo == tipo_cella::segnale;
    rallentamenti +=
        c.tipo >= tipo_cella::fine_rallentamento && c.tipo <= tipo_cella::approccio_rallentamento;
  }
  EXPECT_EQ(stops, (std::vector<int>{13, 602, 1876}));
  EXPECT_EQ(warnings, (std::vector<int>{9, 10, 11, 12, 598, 599, 600, 601}));
  EXPECT_EQ(p.celle[12].avviso, 81);
  EXPECT_EQ(p.celle[598].avviso, 84);
  for (int c = 1870; c < 1876; ++c) EXPECT_EQ(p.celle[static_cast<size_t>(c)].avviso, 0) << c;

  // Signals and restrictions.
  EXPECT_EQ(segnali, 37);
  EXPECT_EQ(rallentamenti, 0);
  const Cella& s = p.celle[71];
  EXPECT_EQ(s.tipo, 1);
  EXPECT_EQ(s.valore_1, 42);
  EXPECT_EQ(s.valore_2, 11);
  EXPECT_EQ(s.valore_3, 11);
  EXPECT_EQ(s.valore_4, 8);
  EXPECT_EQ(s.tempo, 0);
  EXPECT_EQ(p.celle[69].avviso, 81);
  EXPECT_EQ(p.celle[67].avviso, 82);
  EXPECT_EQ(p.celle[65].avviso, 83);
  EXPECT_EQ(p.celle[63].avviso, 84);
  EXPECT_EQ(p.celle[1830].tipo, 1);  // the last signal, 91450 m
  EXPECT_EQ(p.celle[1830].valore_1, 32);

  // Cab codes.
  EXPECT_EQ(p.celle[1668].tipo, tipo_cella::codice);
  EXPECT_EQ(p.celle[1668].valore_1, 280);
  EXPECT_EQ(p.celle[1698].tipo, tipo_cella::codice);
  EXPECT_EQ(p.celle[1698].valore_1, 180);

  // General values.
  EXPECT_EQ(p.elementi[84].progressiva, 12);
  EXPECT_EQ(p.elementi[84].inizio, 130);
  EXPECT_EQ(p.elementi[86].dato_7, 300);
  EXPECT_EQ(p.elementi[86].dato_10, 11);
  EXPECT_EQ(p.elementi[86].dato_11, 20);
  EXPECT_EQ(p.elementi[86].dato_12, 0);

  // Profiles.
  for (size_t i = 0; i < p.celle.size(); ++i) {
    const int vel = i < 30 ? 6 : i <= 1977 ? 50 : 0;
    const int ade = i <= 1977 ? 100 : 0;
    ASSERT_EQ(p.celle[i].velocita, vel) << i;
    ASSERT_EQ(p.celle[i].aderenza, ade) << i;
  }
}

// A small line description the line half accepts; `extra` goes after its
// general section.
std::string linea_minima(const std::string& reference_one = "0",
                         const std::vector<std::string>& extra = {}) {
  std::vector<std::string> rows = {
      "[generale]",
      "lunghezza percorso,    92000",
      "progressiva chilometrica uno,    " + reference_one + ",    0,    0",
      "progressiva chilometrica due,    0,    0,    0",
      "progressiva chilometrica tre,    0,    0,    0",
      "[pendenze]",
  };
  rows.insert(rows.end(), extra.begin(), extra.end());
  rows.push_back("[fine]");
  return crlf(rows);
}

std::string treno(std::vector<std::string> rows) {
  rows.insert(rows.begin(), "[generale]");
  rows.push_back("[fine]");
  return crlf(rows);
}

std::string segnale(int pos) {
  return "segnale, " + std::to_string(pos) + ", 2, 4, 1, 1, 0, 2, 2, 1, 1, 0";
}
std::string stazione(int pos, int tipo, int lunghezza, const std::string& byte = "0") {
  return "stazione, " + std::to_string(pos) + ", " + std::to_string(tipo) + ", " +
         std::to_string(lunghezza) + ", " + byte + ", 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, NOME";
}
const std::string rallentamento_5000 = "rallentamento, 5000, 60, 1000, 1, 1, 0";

TEST(TrainHalfFaults, EveryWayOutDeletesBothFilesAndKeepsThePositionRule) {
  std::vector<std::string> many_stations;
  for (int i = 1; i <= 79; ++i) many_stations.push_back(stazione(1000 * i, 12, 100));

  struct Case {
    std::string nome;
    std::string linea;
    std::vector<std::string> rows;
    int32_t codice;
    int32_t posizione;  // 0 when left as it was
  };
  const Case cases[] = {
      {"none", linea_minima(), {"sabbia, 300"}, 0, 0},
      {"range", linea_minima(), {"velocita, 99000, 100"}, 15, 99000},
      {"reference", linea_minima("1025"), {"sabbia, 300"}, 2, 0},
      {"range then reference", linea_minima("1025"), {"velocita, 99000, 100"}, 2, 99000},
      {"cab code", linea_minima(), {segnale(3500), "abbattimento, 3550, 100"}, 7, 3550},
      {"station position", linea_minima(), {stazione(1025, 12, 400)}, 8, 1025},
      {"station length", linea_minima(), {stazione(1000, 12, 750)}, 9, 1000},
      {"station count", linea_minima(), many_stations, 10, 0},
      {"signal", linea_minima(), {segnale(3500), segnale(3510)}, 16, 3510},
      {"warning", linea_minima(), {segnale(3800), rallentamento_5000}, 17, 5000},
      {"start", linea_minima(), {segnale(5000), rallentamento_5000}, 18, 5000},
      {"end", linea_minima(), {segnale(6000), rallentamento_5000}, 19, 5000},
      {"approach", linea_minima(), {segnale(3650), rallentamento_5000}, 20, 5000},
      {"spacing", linea_minima(), {stazione(10000, 12, 400), stazione(10700, 12, 400)}, 22, 10700},
      {"stop cell", linea_minima(), {stazione(0, 8, 100)}, 24, 0},
      {"byte 256", linea_minima(), {stazione(10000, 12, 400, "256")}, 25, 0},
      {"cut entry", linea_minima(), {"segnale, 3500, 2, 4"}, 25, 0},
      // A range fault of the line half: the first signal ends the parse.
      {"line range",
       linea_minima("0", {"pendenza, 98901, 1"}),
       {segnale(3500), segnale(7500)},
       15,
       3500},
  };
  for (const Case& c : cases) {
    TrainOutcome e;
    compile(e, c.linea, treno(c.rows));
    EXPECT_EQ(e.p.codice_errore, c.codice) << c.nome;
    EXPECT_EQ(e.p.posizione_errore, c.posizione) << c.nome;
    EXPECT_FALSE(e.line_left) << c.nome;
    EXPECT_FALSE(e.train_left) << c.nome;
    if (c.codice != 0) {
      ASSERT_FALSE(e.log.empty()) << c.nome;
      EXPECT_EQ(e.log.all().back().codice, c.codice) << c.nome;
      EXPECT_FALSE(e.log.all().back().message.empty()) << c.nome;
    }
  }
}

TEST(TrainHalfFaults, ReadFailurePointsAtTheField) {
  TrainOutcome e;
  compile(e, linea_minima(), treno({stazione(10000, 12, 400, "256")}));
  ASSERT_EQ(e.p.codice_errore, 25);
  const Fault& f = e.log.all().back();
  ASSERT_TRUE(f.where.has_value());
  EXPECT_EQ(f.where->line, 2);
  EXPECT_EQ(f.where->column, 27);
  EXPECT_NE(f.where->file.find("_409-.txt"), std::string::npos);
  EXPECT_EQ(f.message, "field 5 of \"stazione\": value 256 does not fit in 0..255");
}

}  // namespace
}  // namespace sc
