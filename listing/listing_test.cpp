#include "listing/listing.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "format/compiled_decode.h"
#include "format/compiled_decode_test.h"

namespace sc {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class InspectFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fixture::test_dir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    sc = fixture::scenario();
    celle = dir / "Corvale_Pravena AV_409.dat";
    elementi = dir / "Corvale_Pravena AV_409.sim";
    plan = dir / "Corvale_Pravena AV_linea.dat";
    fixture::write(celle, serializza_celle(sc.celle));
    fixture::write(elementi, serializza_elementi(sc.elementi));
    fixture::write(plan, serializza_tracciato(sc.tracciato));
  }
  void TearDown() override { fs::remove_all(dir); }

  static std::vector<std::string> rows(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string r; std::getline(in, r);) out.push_back(r);
    return out;
  }

  fs::path dir, celle, elementi, plan;
  fixture::Scenario sc;
};

TEST_F(InspectFile, CellsTableShowsPositionTypeValuesAndProfile) {
  InspectOptions o;
  o.celle = CellaRange{70, 71};
  const auto r = rows(show_file(celle, o));
  ASSERT_GE(r.size(), 6u);  // file line, summary, header, two cells, count, stretches
  EXPECT_NE(r[0].find("cells file, 29715 bytes"), std::string::npos) << r[0];
  // cell, metres, type, four values, tempo, avviso, tunnel, km/h, gradient, aderenza, detail
  std::istringstream in(r[4]);
  std::string cella, metres, tipo, v1, v2, v3, v4, tempo, avviso, tunnel, kmh, pend, adh;
  in >> cella >> metres >> tipo >> v1 >> v2 >> v3 >> v4 >> tempo >> avviso >> tunnel >> kmh >>
      pend >> adh;
  EXPECT_EQ(std::vector<std::string>(
                {cella, metres, tipo, v1, v2, v3, v4, tempo, avviso, tunnel, kmh, pend, adh}),
            std::vector<std::string>(
                {"71", "3500", "signal", "42", "11", "11", "8", "0", "0", "0", "250", "0", "100"}));
  EXPECT_NE(r[4].find("left 2 (4/1/1), right 2 (2/1/1), rapp 0"), std::string::npos) << r[4];
  EXPECT_NE(r[3].find("empty"), std::string::npos);
  // Gradient byte 112 shows as +12 per mille, speed byte 6 as 30 km/h.
  o.celle = CellaRange{401, 401};
  EXPECT_NE(show_file(celle, o).find("250        12      100"), std::string::npos);
  o.celle = CellaRange{5, 5};
  EXPECT_NE(show_file(celle, o).find("   30         0"), std::string::npos);
}

TEST_F(InspectFile, OnlyPicksTheNamedGroups) {
  const struct {
    std::vector<CellaFilter> only;
    std::vector<int> expected;
  } cases[] = {
      {{CellaFilter::segnali}, {71, 400, 700, 1100, 1500}},
      {{CellaFilter::stazioni}, {13, 602, 1876}},
      {{CellaFilter::codes}, {1668, 1698, 1700}},
      {{CellaFilter::cartelli, CellaFilter::rallentamenti},
       {41, 89, 973, 974, 975, 976, 977, 1001, 1021}},
  };
  for (const auto& test_case : cases) {
    InspectOptions o;
    o.json = true;
    o.only = test_case.only;
    const json j = json::parse(show_file(celle, o));
    std::vector<int> indices;
    for (const json& r : j["rows"]) indices.push_back(r["index"]);
    EXPECT_EQ(indices, test_case.expected);
    EXPECT_EQ(j["shown"], test_case.expected.size());
  }
  // Tunnels are stretches, cut to the cells asked for.
  InspectOptions o;
  o.only = {CellaFilter::tunnels};
  o.celle = CellaRange{0, 100};
  const auto r = rows(show_file(celle, o));
  ASSERT_GE(r.size(), 3u);
  EXPECT_EQ(r[r.size() - 3], "Tunnels (kind): 1 stretch");
  EXPECT_EQ(r.back(), "        4500       5050        1");  // cells 90 to 100
}

TEST_F(InspectFile, CellsJsonHoldsTheSameValues) {
  InspectOptions o;
  o.json = true;
  const json j = json::parse(show_file(celle, o));
  EXPECT_EQ(j["file"], "cells");
  EXPECT_EQ(j["bytes"], 29715);
  ASSERT_EQ(j["rows"].size(), 1981u);
  const json& s = j["rows"][71];
  EXPECT_EQ(s["type"], "signal");
  EXPECT_EQ(s["metres"], 3500);
  EXPECT_EQ(std::vector<int>({s["valore_1"], s["valore_2"], s["valore_3"], s["valore_4"]}),
            std::vector<int>({42, 11, 11, 8}));
  EXPECT_EQ(j["rows"][69]["avviso"], 81);
  EXPECT_EQ(j["rows"][1]["valore_1"], 5121);
  EXPECT_EQ(j["rows"][1]["detail"], "mark 5121, plain contest code 2100");
  EXPECT_EQ(j["rows"][100]["galleria"], 1);
  EXPECT_EQ(j["rows"][500]["gradient_per_mille"], 12);
  EXPECT_EQ(j["rows"][1980]["gradient_per_mille"], -100);
  EXPECT_EQ(j["rows"][10]["speed_kmh"], 30);
  // Every cell, every field, equals what was encoded.
  for (size_t i = 0; i < sc.celle.size(); ++i) {
    const json& r = j["rows"][i];
    const Cella& c = sc.celle[i];
    ASSERT_EQ(std::vector<int>({r["tipo"], r["valore_1"], r["valore_2"], r["valore_3"],
                                r["valore_4"], r["tempo"], r["avviso"], r["galleria"],
                                r["velocita"], r["pendenza"], r["aderenza"]}),
              std::vector<int>({c.tipo, c.valore_1, c.valore_2, c.valore_3, c.valore_4, c.tempo,
                                c.avviso, c.galleria, c.velocita, c.pendenza, c.aderenza}))
        << i;
  }
}

TEST_F(InspectFile, ElementTableByRole) {
  const std::string t = show_file(elementi, {});
  for (const char* expected :
       {"Stations (3, records 1 upward)", "SAN LAZZARO", "29750", "11:50:00",
        "Board texts (2, records 80 downward)", " 79 (BIVIO)",
        "massa_frenata 130, lunghezza_percorso 92000 m, numero_vetture 12",
        "nome_scenario \"Corvale_Pravena AV\"", "mark 610\n", "weighted contest code 33000",
        "numero_treno \"409\", sabbia 300, orologio 11:20:00",
        "ripetizione_valore_1 1000, ripetizione_valore_2 80000, ripetizione_codici 9"}) {
    EXPECT_NE(t.find(expected), std::string::npos) << expected << "\n" << t;
  }
  EXPECT_EQ(t.find("outside their roles"), std::string::npos);
}

TEST_F(InspectFile, ElementJsonHoldsMarksCodesAndEveryRecord) {
  const CodiciGara expected = expected_codes("409", "Corvale_Pravena AV");
  sc.elementi[85].orario = expected.weighted;
  sc.elementi[3].nome = "PRAVENA \xC0";  // Windows-1252 capital A grave
  sc.elementi[40].progressiva = 7;       // a stray record between stations and boards
  fixture::write(elementi, serializza_elementi(sc.elementi));
  InspectOptions o;
  o.json = true;
  const json j = json::parse(show_file(elementi, o));
  EXPECT_EQ(j["identity"]["mark"], 610);
  EXPECT_EQ(j["identity"]["weighted_contest_code"], expected.weighted);
  EXPECT_EQ(j["identity"]["expected_weighted_contest_code"], expected.weighted);
  EXPECT_EQ(j["identity"]["expected_plain_contest_code"], expected.simple);
  EXPECT_EQ(j["identity"]["sfondo_due"], 1);
  EXPECT_EQ(j["identity"]["sfondo_tre"], 3000);
  EXPECT_EQ(j["stations"].size(), 3u);
  EXPECT_EQ(j["stations"][2]["nome"], "PRAVENA \u00C0");
  EXPECT_EQ(j["stations"][0]["inizio"], -700);
  EXPECT_EQ(j["boards"][0]["record"], 80);
  EXPECT_EQ(j["boards"][1]["text"], "(BIVIO)");
  EXPECT_EQ(j["cab_signalling"]["orologio_minuti"], 20);
  EXPECT_EQ(j["unexpected_records"], json::array({40}));
  ASSERT_EQ(j["records"].size(), 87u);
  for (int r = 0; r < numero_elementi; ++r) {
    const json& x = j["records"][r];
    const Elemento& e = sc.elementi.at(r);
    EXPECT_EQ(
        std::vector<int64_t>({x["tipo"], x["inizio"], x["fine"], x["progressiva"], x["dato_4"],
                              x["dato_7"], x["dato_8"], x["dato_10"], x["dato_11"], x["dato_12"],
                              x["dato_9"], x["dato_13"], x["dato_6"], x["dato_5"], x["orario"]}),
        std::vector<int64_t>({e.tipo, e.inizio, e.fine, e.progressiva, e.dato_4, e.dato_7, e.dato_8,
                              e.dato_10, e.dato_11, e.dato_12, e.dato_9, e.dato_13, e.dato_6,
                              e.dato_5, e.orario}))
        << r;
  }
  EXPECT_NE(show_file(elementi, {}).find("(matches "), std::string::npos);
}

TEST_F(InspectFile, TrackPlanRowsRoundTrip) {
  InspectOptions o;
  o.json = true;
  const json j = json::parse(show_file(plan, o));
  EXPECT_EQ(j["rows"], 99001);
  EXPECT_EQ(j["last_filled_row"], 98998);
  const json& p = j["points"];
  ASSERT_EQ(p.size(), 99001u);
  for (const int row : {0, 1, 2000, 98998, 98999}) {
    ASSERT_EQ(p[row][0], row);
    for (int c = 0; c < 2; ++c) {
      const Numero& n = sc.tracciato.column(c)[static_cast<size_t>(row)];
      const json& v = p[row][c + 1];
      switch (n.tag) {
        case Numero::Tag::empty: EXPECT_TRUE(v.is_null()) << row; break;
        case Numero::Tag::integer:
          EXPECT_TRUE(v.is_number_integer()) << row;
          EXPECT_EQ(v.get<int>(), n.valore);
          break;
        case Numero::Tag::real:
          EXPECT_TRUE(v.is_number_float()) << row;
          EXPECT_EQ(v.get<double>(), n.valore);
          break;
      }
    }
  }
  // Text: seeds as integers, reals with a point and read back exactly.
  const auto r = rows(show_file(plan, {}));
  ASSERT_GT(r.size(), 99001u);
  const size_t head = r.size() - 99001;
  EXPECT_EQ(r[head + 1].substr(0, 8), "       1");
  EXPECT_NE(r[head + 1].find(" 0 "), std::string::npos) << r[head + 1];
  std::istringstream line2000(r[head + 2000]);
  std::string metre, x, y;
  line2000 >> metre >> x >> y;
  EXPECT_EQ(metre, "2000");
  EXPECT_EQ(std::stod(x), sc.tracciato.column(0)[2000].valore);
  EXPECT_EQ(y, "2000.0");
  EXPECT_NE(r[head + 98999].find(" - "), std::string::npos);
}

TEST_F(InspectFile, EveryThinsThePlanAndKeepsTheLastRow) {
  InspectOptions o;
  o.json = true;
  o.every = 10000;
  const json j = json::parse(show_file(plan, o));
  std::vector<int> metres;
  for (const json& p : j["points"]) metres.push_back(p[0]);
  EXPECT_EQ(metres, (std::vector<int>{0, 10000, 20000, 30000, 40000, 50000, 60000, 70000, 80000,
                                      90000, 99000}));
}

TEST_F(InspectFile, PlanReadInPiecesListsAsThePlanHeldWhole) {
  const Tracciato whole = decode_plan(serializza_tracciato(sc.tracciato));
  for (const bool j : {false, true}) {
    for (const int32_t every : {1, 7, 99000, 99001, 1000000}) {
      SCOPED_TRACE(std::string(j ? "json" : "text") + ", every " + std::to_string(every));
      InspectOptions o;
      o.json = j;
      o.every = every;
      std::ostringstream streamed;
      show_file(plan, o, streamed);
      std::vector<std::string> got = rows(streamed.str());
      std::vector<std::string> expected = rows(show_tracciato(whole, o));
      // The file's own lines: the heading of the text, path and size in JSON.
      ASSERT_GT(got.size(), 3u);
      got.erase(got.begin() + (j ? 1 : 0), got.begin() + (j ? 3 : 1));
      EXPECT_EQ(got, expected);
      EXPECT_EQ(streamed.str().back(), '\n');
    }
  }
}

TEST_F(InspectFile, NothingIsWrittenBeforeTheWholePlanIsChecked) {
  // The fault lies in the last value of column 1: far past what the first
  // rows need.
  fs::resize_file(plan, fs::file_size(plan) - 1);
  for (const bool j : {false, true}) {
    InspectOptions o;
    o.json = j;
    std::ostringstream out;
    EXPECT_THROW(show_file(plan, o, out), DecodeError);
    EXPECT_EQ(out.str(), "");
  }
}

TEST_F(InspectFile, TruncatedFilesGiveTheDecodeError) {
  const struct {
    fs::path* file;
    size_t cut;
    const char* message;
  } cases[] = {
      {&celle, 29710, "cells: file size 29710 is not a multiple of 15"},
      {&elementi, 80,
       "element table: record 2 at offset 75: the file ends inside the record's first 16 bytes"},
      {&plan, 1009,
       "track plan: element 102 at offset 1008: the file ends inside the 2-byte type tag"},
  };
  for (const auto& c : cases) {
    fs::resize_file(*c.file, c.cut);
    for (const bool j : {false, true}) {
      InspectOptions o;
      o.json = j;
      try {
        show_file(*c.file, o);
        ADD_FAILURE() << c.file->string() << " accepted";
      } catch (const DecodeError& e) {
        EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      }
    }
  }
}

TEST_F(InspectFile, RefusesOptionsThatDoNotFitTheFileAndOtherNames) {
  InspectOptions only;
  only.only = {CellaFilter::segnali};
  EXPECT_THROW(show_file(elementi, only), std::invalid_argument);
  InspectOptions every;
  every.every = 5;
  EXPECT_THROW(show_file(celle, every), std::invalid_argument);
  every.every = 0;
  EXPECT_THROW(show_file(plan, every), std::invalid_argument);
  EXPECT_THROW(show_file(dir / "Corvale_Pravena AV_409-.txt", {}), std::invalid_argument);
  try {
    show_file(dir / "missing.sim", {});
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(dynamic_cast<const DecodeError*>(&e), nullptr);
    EXPECT_NE(std::string(e.what()).find("missing.sim"), std::string::npos);
  }
}

TEST(InspectCommandOptions, CellRangesAndGroupNames) {
  const struct {
    const char* text;
    int64_t from, a;
  } good[] = {{"60:75", 60, 75}, {"100:", 100, INT64_MAX}, {":50", 0, 50}, {"7:7", 7, 7}};
  for (const auto& b : good) {
    const CellaRange i = range_from_text(b.text);
    EXPECT_EQ(i.from, b.from) << b.text;
    EXPECT_EQ(i.a, b.a) << b.text;
  }
  for (const char* bad : {"60", "75:60", "a:b", "-1:5", "1:2x", ""}) {
    EXPECT_THROW(range_from_text(bad), std::invalid_argument) << bad;
  }
  EXPECT_EQ(filter_from_name("Signals"), CellaFilter::segnali);
  EXPECT_EQ(filter_from_name("cab-codes"), CellaFilter::codes);
  EXPECT_EQ(filter_from_name("tunnel"), CellaFilter::tunnels);
  EXPECT_THROW(filter_from_name("lights"), std::invalid_argument);
}

TEST(InspectCommandOptions, RangesBeyondTheCellsShowNothingOrTheTail) {
  const std::vector<Cella> celle(10);
  InspectOptions o;
  o.json = true;
  o.celle = CellaRange{8, INT64_MAX};
  EXPECT_EQ(json::parse(show_celle(celle, o))["shown"], 2);
  o.celle = CellaRange{20, 30};
  EXPECT_EQ(json::parse(show_celle(celle, o))["shown"], 0);
}

TEST(ExpectedCodes, WorkedExamples) {
  const struct {
    const char *treno, *nome;
    int simple, weighted;
  } cases[] = {
      {"", "abc", 2546, 33756},
      {"AB", "C", 2546, 33756},
      {"", "", 2583, 34355},
      {"abcdefghijklm", "nopqrstuvwxyz", 2725, 36725},
  };
  for (const auto& c : cases) {
    const CodiciGara g = expected_codes(c.treno, c.nome);
    EXPECT_EQ(g.simple, c.simple) << c.treno << c.nome;
    EXPECT_EQ(g.weighted, c.weighted) << c.treno << c.nome;
  }
}

TEST(CellaDetail, SpeedBoardsAndRestrictions) {
  Cella b;
  b.tipo = tipo_cella::indicatori_v_max;
  b.valore_1 = 1819;
  b.valore_2 = 6060;
  b.valore_3 = 1616;
  b.valore_4 = 21;
  EXPECT_EQ(cella_detail(b, 41), "left 90/300/80 km/h, right 95/300/80 km/h, stripes 2/1");
  Cella r;
  r.tipo = tipo_cella::inizio_rallentamento;
  r.valore_1 = 60;
  r.valore_2 = 3;
  r.valore_3 = 1;
  EXPECT_EQ(cella_detail(r, 101), "60 km/h, f_tt 1, d_v 3");
  EXPECT_EQ(nome_tipo_cella(9), "unknown 9");
}

}  // namespace
}  // namespace sc
