// Big inputs through the built program: the longest line the model allows,
// full of elements, compiles to the cells it should; and the compile time
// grows linearly with the number of entries, whether they stand one to a
// line or all on one line.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "format/compiled_decode.h"
#include "tests/support/test_dir.h"
#include "tests/esegui_programma.h"

namespace {

using namespace sc::test;

constexpr int32_t lunghezza = 1000000;
constexpr int32_t ultima_cella = 20140;  // round((1000000 + 7000) / 50)
constexpr int tunnel = 80;               // as many as the tunnel table holds
constexpr int stazioni = 78;             // with no board text, records 1 to 78 (79 is the next free one)

std::string righe(const std::vector<std::string>& r) {
  std::string s;
  for (const std::string& x : r) s += x + "\r\n";
  return s;
}

std::string n(int64_t v) { return std::to_string(v); }

// --- the big scenario -------------------------------------------------------------

// Element positions, laid out so that no two claim one cell: cells repeat
// with a period of 20 (1000 m). A restriction at 1000 m + 850 has its warning
// board in cell 14, start in 18 and end in 24 (the next period's 4); the
// cell pass puts its cab codes in 0, 7 and 13; signals stand in cells 2 and
// 17; station stops fall in cells 6 and 16.
int32_t inizio_tunnel(int i) { return 12000 * i + 3000; }
int32_t fine_tunnel(int i) { return 12000 * i + 8000; }
int32_t stazione(int k) { return 12500 * (k - 1) + 150; }  // k from 1; 400 m long, centred
int32_t rallentamento(int m) { return 1000 * m + 850; }     // 300 m long
constexpr int rallentamenti = 996;
std::vector<int32_t> celle_segnali() {
  std::vector<int32_t> c;
  for (int m = 0; m < 1000; ++m)
    for (int r : {2, 17})
      if (20 * m + r >= 3) c.push_back(20 * m + r);
  return c;
}
int gradiente(int i) { return i % 7 - 3; }  // from 25000 i m

std::string linea_grande() {
  std::vector<std::string> r{"[generale]", "lunghezza percorso,    " + n(lunghezza), "[curve]"};
  for (int i = 0; i < 40; ++i) r.push_back("curvad" + n(1 + i % 6) + ",  " + n(20000 * i + 5000) + ",  3000");
  r.push_back("[pendenze]");
  for (int i = 0; i < 40; ++i) r.push_back("pendenza,  " + n(25000 * i) + ",  " + n(gradiente(i)));
  r.push_back("[montagne]");
  for (int i = 0; i < tunnel; ++i) r.push_back("montagna,  " + n(inizio_tunnel(i)) + ",  " + n(fine_tunnel(i)) + ",  11");
  r.push_back("[fine]");
  return righe(r);
}

std::string treno_grande(int numero_stazioni) {
  std::vector<std::string> r{"[generale]",          "numero vetture,    12", "percentuale massa frenata,    130",
                             "sabbia,    300",      "orologio,    11 20 0",  "[aderenze]",
                             "aderenza,   0,    100", "[vel_limite]",        "velocita,   0,    30",
                             "velocita,    1500,   250", "[stazioni]"};
  for (int k = 1; k <= numero_stazioni; ++k) {
    r.push_back("stazione,  " + n(stazione(k)) + ",  12,  400,  0, 0, 0,  1,1,0,  4,1,1,    1,  " + n(k / 60) + ", " +
                n(k % 60) + ", 0, STAZIONE " + n(k));
  }
  r.push_back("[rallentamenti]");
  for (int m = 0; m < rallentamenti; ++m) r.push_back("rallentamento, " + n(rallentamento(m)) + ", 60, 300, 1, 0, 0");
  r.push_back("[segnali]");
  for (int32_t c : celle_segnali()) r.push_back("segnale, " + n(50 * (c - 1)) + ",   2, 4, 1,  1, 0,    2,  2,1,1, 0");
  r.push_back("[fine]");
  return righe(r);
}

class BigInput : public ::testing::Test {
 protected:
  EsitoProgramma compila(const std::vector<std::string>& extra = {}) {
    Esecuzione e;
    e.cwd = dir.path();
    e.args = {"compile", "Grande_linea.txt", "Grande_1-.txt", "--out", "out"};
    e.args.insert(e.args.end(), extra.begin(), extra.end());
    return esegui_programma(e);
  }
  TempDir dir;
};

TEST_F(BigInput, MillionMetreLineFullOfElementsCompilesToTheExpectedCells) {
  scrivi(dir / "Grande_linea.txt", linea_grande());
  scrivi(dir / "Grande_1-.txt", treno_grande(stazioni));
  const EsitoProgramma e = compila();
  ASSERT_EQ(e.stato, 0) << e.err.substr(0, 3000);
  EXPECT_EQ(e.err, "");
  ASSERT_EQ(elenco(dir / "out"), (std::set<std::string>{"Grande_linea.dat", "Grande_1.sim", "Grande_1.dat"}));

  const std::vector<sc::Cella> celle = sc::decodifica_celle(leggi(dir / "out/Grande_1.dat"));
  ASSERT_EQ(celle.size(), ultima_cella + 1u);
  auto cella = [&](int32_t c) { return celle.at(static_cast<size_t>(c)); };
  EXPECT_EQ(cella(1).valore_1, sc::marca_celle);

  for (int i = 0; i < tunnel; ++i) {
    SCOPED_TRACE("tunnel " + n(i));
    for (int32_t c = inizio_tunnel(i) / 50; c < fine_tunnel(i) / 50; ++c) ASSERT_EQ(cella(c).galleria, 1) << c;
    EXPECT_EQ(cella(inizio_tunnel(i) / 50 - 1).galleria, 0);
    EXPECT_EQ(cella(fine_tunnel(i) / 50).galleria, 0);
  }
  for (int i = 0; i < 40; ++i) EXPECT_EQ(cella(500 * i + 250).pendenza, gradiente(i) + 100) << "gradient " << i;
  for (int k = 1; k <= stazioni; ++k) {
    const sc::Cella fermata = cella((stazione(k) + 200) / 50 - 1);
    EXPECT_EQ(fermata.tipo, 10) << "station " << k;
    EXPECT_EQ(fermata.valore_1, k) << "station " << k;
  }
  for (int m = 0; m < rallentamenti; ++m) {
    const int32_t x = rallentamento(m);
    EXPECT_EQ(cella(x / 50 + 1).tipo, 3) << "restriction start " << m;
    EXPECT_EQ(cella(x / 50 + 1).valore_1, 60) << "restriction start " << m;
    EXPECT_EQ(cella((x + 300) / 50 + 1).tipo, 2) << "restriction end " << m;
    if (x > 1500) {
      EXPECT_EQ(cella((x - 1200) / 50 + 1).tipo, 4) << "restriction warning " << m;
    }
  }
  const std::vector<int32_t> segnali = celle_segnali();
  EXPECT_EQ(segnali.size(), 1999u);
  for (int32_t c : segnali) EXPECT_EQ(cella(c).tipo, 1) << "signal cell " << c;

  const auto el = sc::decodifica_elementi(leggi(dir / "out/Grande_1.sim"));
  auto nome = [&](int r) { return el.at(static_cast<size_t>(r)).nome; };
  for (int k = 1; k <= stazioni; ++k) EXPECT_EQ(nome(k), "STAZIONE " + n(k));
  EXPECT_EQ(nome(sc::record_sfondo_identita), "Grande");
  EXPECT_EQ(nome(sc::record_ripetizione), "1");

  // One station more than the element table holds is fault 10, at that station.
  scrivi(dir / "Grande_1-.txt", treno_grande(stazioni + 1));
  const EsitoProgramma troppe = compila();
  EXPECT_EQ(troppe.stato, 1);
  EXPECT_NE(troppe.err.find("Grande_1-.txt:" + n(12 + stazioni) + ":1: error: no station record left"),
            std::string::npos)
      << troppe.err.substr(0, 3000);
}

// --- time linear in the size ---------------------------------------------------------

// A train description of `voci` real entries (speed and adhesion profile
// points, sand and clock values, in turn), one to a line or all on one line.
std::string treno_di(int voci, bool una_riga) {
  std::string s = "[generale],";
  const int passo = 1000000 / voci;  // the profile points spread over the line
  for (int i = 0; i < voci; ++i) {
    switch (i % 4) {
      case 0: s += "velocita, " + n(int64_t{i} * passo) + ", " + n(100 + i % 50); break;
      case 1: s += "aderenza, " + n(int64_t{i} * passo) + ", " + n(80 + i % 20); break;
      case 2: s += "sabbia, " + n(i % 1000); break;
      default: s += "orologio, " + n(i % 24) + " " + n(i % 60) + " " + n(i % 60); break;
    }
    s += una_riga ? "," : "\r\n";
  }
  return s + "[fine]\r\n";
}

// A million entries against a tenth of them. Under the sanitizers every
// entry costs some 25 times more, so that build compares half a million
// with a tenth of that; the plain build runs the full million.
#if defined(__SANITIZE_ADDRESS__)
constexpr int voci_massime = 500000;
#else
constexpr int voci_massime = 1000000;
#endif

TEST_F(BigInput, CompileTimeIsLinearInTheNumberOfEntries) {
  scrivi(dir / "Grande_linea.txt", righe({"[generale]", "lunghezza percorso,    1000000", "[fine]"}));
  for (bool una_riga : {false, true}) {
    SCOPED_TRACE(una_riga ? "all entries on one line" : "one entry to a line");
    double secondi[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
      const int voci = i == 0 ? voci_massime / 10 : voci_massime;
      scrivi(dir / "Grande_1-.txt", treno_di(voci, una_riga));
      // The fastest of three runs: a run that the machine delays says
      // nothing about the compile.
      for (int prova = 0; prova < 3; ++prova) {
        const EsitoProgramma e = compila({"--no-plan"});
        ASSERT_EQ(e.stato, 0) << e.err.substr(0, 3000);
        EXPECT_EQ(leggi(dir / "out/Grande_1.dat").size(), 15u * (ultima_cella + 1));
        secondi[i] = prova == 0 ? e.secondi : std::min(secondi[i], e.secondi);
      }
    }
    // Ten times the entries: about ten times the time at most (a quadratic
    // reading would take a hundred times). Loose, so that a busy machine
    // does not fail it.
    const std::string tempi = std::to_string(secondi[0]) + " s for " + n(voci_massime / 10) + " entries, " +
                              std::to_string(secondi[1]) + " s for " + n(voci_massime);
    EXPECT_LT(secondi[1], 20 * secondi[0]) << tempi;
    std::cout << (una_riga ? "all on one line: " : "one entry to a line: ") << tempi << "\n";
  }
}

// A line length given a thousand times costs what one costs, and the last
// one counts: the same files as from that one entry alone.
TEST_F(BigInput, RepeatedLineLengthCostsNothing) {
  scrivi(dir / "Grande_1-.txt", treno_di(100, false));
  auto linea = [](int volte) {
    std::vector<std::string> r{"[generale]"};
    for (int i = 0; i < volte; ++i) r.push_back("lunghezza percorso, " + n(i % 2 == 0 ? 1000000 : 500000));
    r.insert(r.end(), {"lunghezza percorso, 1000000", "[curve]", "curvad1, 2000, 9000", "[fine]"});
    return righe(r);
  };
  const char* nomi[3] = {"Grande_linea.dat", "Grande_1.sim", "Grande_1.dat"};
  double secondi[2] = {0, 0};
  std::string file[2][3];
  for (int i = 0; i < 2; ++i) {
    scrivi(dir / "Grande_linea.txt", linea(i == 0 ? 0 : 1000));
    for (int prova = 0; prova < 3; ++prova) {
      Esecuzione e;
      e.cwd = dir.path();
      e.args = {"check", "Grande_linea.txt", "Grande_1-.txt"};
      const EsitoProgramma c = esegui_programma(e);
      ASSERT_EQ(c.stato, 0) << c.err.substr(0, 3000);
      secondi[i] = prova == 0 ? c.secondi : std::min(secondi[i], c.secondi);
    }
    ASSERT_EQ(compila().stato, 0);
    for (int f = 0; f < 3; ++f) file[i][f] = leggi(dir / ("out/" + std::string(nomi[f])));
  }
  EXPECT_EQ(file[0][2].size(), 15u * (ultima_cella + 1));
  for (int f = 0; f < 3; ++f) EXPECT_TRUE(file[0][f] == file[1][f]) << f;
  // Making the plan of 1000000 m anew for each entry took seconds.
  EXPECT_LT(secondi[1], 3 * secondi[0] + 0.2) << secondi[0] << " s for one entry, " << secondi[1] << " s for 1001";
}

}  // namespace
