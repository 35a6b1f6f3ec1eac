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
#include "tests/esegui_programma.h"
#include "tests/support/scenario_grande.h"
#include "tests/support/test_dir.h"

namespace {

using namespace sc::test;

constexpr int32_t ultima_cella = 20140;  // round((1000000 + 7000) / 50)

std::string righe(const std::vector<std::string>& r) {
  std::string s;
  for (const std::string& x : r) s += x + "\r\n";
  return s;
}

std::string n(int64_t v) { return std::to_string(v); }

class BigInput : public ::testing::Test {
 protected:
  EsitoProgramma compila(const std::vector<std::string>& extra = {},
                         const std::string& nome = "Grande", const std::string& treno = "1") {
    Esecuzione e;
    e.cwd = dir.path();
    e.args = {"compile", nome + "_linea.txt", nome + "_" + treno + "-.txt", "--out", "out"};
    e.args.insert(e.args.end(), extra.begin(), extra.end());
    return esegui_programma(e);
  }
  TempDir dir;
};

// --- the big scenario -------------------------------------------------------------

// The generated scenario of the benchmark: the longest line, full of
// elements, every one where its entry puts it.
TEST_F(BigInput, MillionMetreLineFullOfElementsCompilesToTheExpectedCells) {
  const std::string nome = nome_grande, treno = treno_grande;
  const ScenarioGenerato g = genera_scenario();
  scrivi(dir / (nome + "_linea.txt"), g.linea);
  scrivi(dir / (nome + "_" + treno + "-.txt"), g.treno);
  const EsitoProgramma e = compila({}, nome, treno);
  ASSERT_EQ(e.stato, 0) << e.err.substr(0, 3000);
  EXPECT_EQ(e.err, "");
  const std::string celle_dat = nome + "_" + treno + ".dat", sim = nome + "_" + treno + ".sim";
  ASSERT_EQ(elenco(dir / "out"), (std::set<std::string>{nome + "_linea.dat", sim, celle_dat}));

  const std::vector<sc::Cella> celle = sc::decodifica_celle(leggi(dir / ("out/" + celle_dat)));
  ASSERT_EQ(celle.size(), ultima_cella + 1u);
  auto cella = [&](int32_t c) { return celle.at(static_cast<size_t>(c)); };
  EXPECT_EQ(cella(1).valore_1, sc::marca_celle);

  ASSERT_EQ(g.gallerie.size(), 80u);  // as many as the tunnel table holds
  for (const MontagnaGenerata& m : g.gallerie) {
    SCOPED_TRACE("tunnel from " + n(m.inizio));
    for (int32_t c = m.inizio / 50; c < m.fine / 50; ++c) ASSERT_NE(cella(c).galleria, 0) << c;
    EXPECT_EQ(cella(m.inizio / 50 - 1).galleria, 0);
    EXPECT_EQ(cella(m.fine / 50).galleria, 0);
  }
  // Each gradient holds in the middle of its stretch.
  for (int32_t k = 0; k < lunghezza_grande / passo_pendenze; ++k) {
    EXPECT_EQ(cella(k * passo_pendenze / 50 + 5).pendenza, pendenza_generata(k) + 100)
        << "gradient " << k;
  }
  const auto el = sc::decodifica_elementi(leggi(dir / ("out/" + sim)));
  auto nome_record = [&](int r) { return el.at(static_cast<size_t>(r)).nome; };
  ASSERT_EQ(g.stazioni.size(), 70u);  // with the 8 boards, all the element table holds
  for (size_t k = 0; k < g.stazioni.size(); ++k) {
    SCOPED_TRACE("station " + n(static_cast<int64_t>(k) + 1));
    const sc::Cella fermata = cella(g.stazioni[k].fermata);
    EXPECT_EQ(fermata.tipo, 10);
    EXPECT_EQ(fermata.valore_1, static_cast<int>(k) + 1);
    EXPECT_EQ(nome_record(fermata.valore_1),
              "STAZIONE " + std::string(k < 9 ? "0" : "") + n(static_cast<int64_t>(k) + 1));
  }
  EXPECT_FALSE(g.rallentamenti.empty());
  for (const int32_t x : g.rallentamenti) {
    SCOPED_TRACE("restriction at " + n(x));
    EXPECT_EQ(cella(x / 50 + 1).tipo, 3);
    EXPECT_EQ(cella(x / 50 + 1).valore_1, velocita_rallentamento);
    EXPECT_EQ(cella((x + lunghezza_rallentamento) / 50 + 1).tipo, 2);
    EXPECT_EQ(cella((x - 1200) / 50 + 1).tipo, 4);
  }
  EXPECT_EQ(g.segnali.size(), static_cast<size_t>(lunghezza_grande / 1500));
  for (const int32_t p : g.segnali) EXPECT_EQ(cella(p / 50 + 1).tipo, 1) << "signal at " << p;
  EXPECT_EQ(nome_record(sc::record_sfondo_identita), nome);
  EXPECT_EQ(nome_record(sc::record_ripetizione), treno);

  // One station more than the element table holds is a fault at that station.
  const ScenarioGenerato troppe = genera_scenario(lunghezza_grande, 1);
  scrivi(dir / (nome + "_" + treno + "-.txt"), troppe.treno);
  const EsitoProgramma t = compila({}, nome, treno);
  EXPECT_EQ(t.stato, 1);
  const size_t riga_stazione = 12 + g.stazioni.size();  // entries begin on line 12
  EXPECT_NE(t.err.find(nome + "_" + treno + "-.txt:" + n(static_cast<int64_t>(riga_stazione)) +
                       ":1: error: no station record left"),
            std::string::npos)
      << t.err.substr(0, 3000);
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
  scrivi(dir / "Grande_linea.txt",
         righe({"[generale]", "lunghezza percorso,    1000000", "[fine]"}));
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
    const std::string tempi = std::to_string(secondi[0]) + " s for " + n(voci_massime / 10) +
                              " entries, " + std::to_string(secondi[1]) + " s for " +
                              n(voci_massime);
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
    for (int i = 0; i < volte; ++i)
      r.push_back("lunghezza percorso, " + n(i % 2 == 0 ? 1000000 : 500000));
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
  EXPECT_LT(secondi[1], 3 * secondi[0] + 0.2)
      << secondi[0] << " s for one entry, " << secondi[1] << " s for 1001";
}

}  // namespace
