// The five embedded text files, checked by the figures that pin each down:
// size, line count, line ends, empty lines, trailing blanks, single-byte
// accented letters, runs of grid rows and a few landmark lines.
#include "writers/scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "writers/contenuto.h"

namespace sc {
namespace {

// Accented letters of one line: counts of 0xE8 and 0xE0.
struct Accenti {
  int e_grave = 0;
  int a_grave = 0;
  bool operator==(const Accenti&) const = default;
};

struct CasoFile {
  const char* nome;
  std::string (*dati)();
  const std::vector<std::string>& (*tabella)();
  std::size_t righe;
  std::size_t byte;                   // fixed bytes, without the free lines below
  std::vector<std::size_t> libere;    // lines whose text is free (signature)
  std::uint64_t impronta;             // FNV-1a of the bytes, free lines emptied
  std::size_t riga_piu_lunga;
  std::string prima;
  std::string ultima;
  std::set<std::size_t> vuote;        // every empty line, 1-based
  std::map<std::size_t, std::size_t> blanchi_finali;  // line -> trailing blanks
  std::map<std::size_t, Accenti> accenti;             // lines with bytes >= 0x80
};

void PrintTo(const CasoFile& caso, std::ostream* os) { *os << caso.nome; }

std::vector<std::string> dividi(const std::string& dati) {
  std::vector<std::string> righe;
  std::size_t inizio = 0;
  for (std::size_t fine; (fine = dati.find("\r\n", inizio)) != std::string::npos; inizio = fine + 2)
    righe.push_back(dati.substr(inizio, fine - inizio));
  EXPECT_EQ(inizio, dati.size()) << "text after the last CR LF";
  return righe;
}

const std::vector<CasoFile>& casi() {
  static const std::vector<CasoFile> c{
      {"linea", dati_linea, tabella_linea, 74, 2633, {}, 0x18f445e7b5afc5ff, 79, "[generale]", "[fine]", {}, {}, {}},
      {"treno", dati_treno, tabella_treno, 57, 2574, {}, 0x591f4d85bd11af82, 88, "[generale]", "[fine]", {}, {{5, 1}}, {}},
      {"scheda", dati_scheda, tabella_scheda, 49, 3733, {}, 0x4b0c1c14edaae340, 83, "", "", {1, 2, 12, 49}, {{9, 7}}, {}},
      {"rallentamenti", dati_rallentamenti, tabella_rallentamenti, 46, 3281, {}, 0x58e6b8a567a31074, 82, "",
       "     i giorni esclusi i seguenti:.........", {1, 6, 40}, {}, {}},
      {"note", dati_note, tabella_note, 28, 856, {25, 27}, 0x66b46795629ffebe, 186,
       "Questa linea AV \xE8 la futura Corvale-Pravena attualmente in costruzione.", "",
       {3, 5, 6, 18, 19, 22, 24, 26, 28}, {{8, 1}, {9, 1}},
       {{1, {1, 0}}, {2, {1, 2}}, {11, {0, 1}}, {12, {0, 1}}, {20, {2, 0}}, {21, {0, 1}}}},
  };
  return c;
}

// FNV-1a (64 bit) of the file with the text of the free lines left out
// (their CR LF kept): pins every other byte of the content.
std::uint64_t impronta(const std::vector<std::string>& righe, const std::vector<std::size_t>& libere) {
  std::uint64_t h = 0xcbf29ce484222325u;
  for (std::size_t i = 0; i < righe.size(); ++i) {
    std::string riga = righe[i];
    if (std::find(libere.begin(), libere.end(), i + 1) != libere.end()) riga.clear();
    for (unsigned char ch : riga + "\r\n") {
      h ^= ch;
      h *= 0x100000001b3u;
    }
  }
  return h;
}

class FileScenario : public ::testing::TestWithParam<CasoFile> {
 protected:
  const CasoFile& caso = GetParam();
  const std::string dati = caso.dati();
  const std::vector<std::string> righe = dividi(dati);
};

TEST_P(FileScenario, SizeLineCountAndLineEnds) {
  ASSERT_EQ(righe.size(), caso.righe);
  std::size_t byte_liberi = 0;
  for (std::size_t n : caso.libere) byte_liberi += righe.at(n - 1).size();
  EXPECT_EQ(dati.size(), caso.byte + byte_liberi);
  for (std::size_t i = 0; i < righe.size(); ++i) {
    EXPECT_EQ(righe[i].find_first_of("\r\n"), std::string::npos) << "bare CR or LF in line " << i + 1;
  }
  ASSERT_GE(dati.size(), 2u);
  EXPECT_EQ(dati.substr(dati.size() - 2), "\r\n");
  std::size_t piu_lunga = 0;
  for (const std::string& r : righe) piu_lunga = std::max(piu_lunga, r.size());
  EXPECT_EQ(piu_lunga, caso.riga_piu_lunga);
  EXPECT_EQ(impronta(righe, caso.libere), caso.impronta);
}

TEST_P(FileScenario, TableEndsWithTheMarkerWhichIsNeverWritten) {
  const std::vector<std::string>& t = caso.tabella();
  ASSERT_EQ(t.size(), caso.righe + 1);
  ASSERT_LE(t.size(), 1001u);
  EXPECT_EQ(t.back(), marcatore_fine);
  EXPECT_EQ(std::count(t.begin(), t.end(), std::string(marcatore_fine)), 1);
  EXPECT_EQ(dati.find(marcatore_fine), std::string::npos);
  EXPECT_EQ(dati.find("fine del file"), std::string::npos);
}

TEST_P(FileScenario, FirstLastAndEmptyLines) {
  ASSERT_EQ(righe.size(), caso.righe);
  EXPECT_EQ(righe.front(), caso.prima);
  EXPECT_EQ(righe.back(), caso.ultima);
  std::set<std::size_t> vuote;
  for (std::size_t i = 0; i < righe.size(); ++i)
    if (righe[i].empty()) vuote.insert(i + 1);
  EXPECT_EQ(vuote, caso.vuote);
}

TEST_P(FileScenario, TrailingBlanksKept) {
  ASSERT_EQ(righe.size(), caso.righe);
  for (std::size_t i = 0; i < righe.size(); ++i) {
    const std::string& r = righe[i];
    const std::size_t ultimo = r.find_last_not_of(' ');
    const std::size_t blanchi = ultimo == std::string::npos ? r.size() : r.size() - ultimo - 1;
    const auto atteso = caso.blanchi_finali.find(i + 1);
    EXPECT_EQ(blanchi, atteso == caso.blanchi_finali.end() ? 0u : atteso->second) << "line " << i + 1;
  }
}

TEST_P(FileScenario, OnlyTheAccentedLettersAreAboveAscii) {
  ASSERT_EQ(righe.size(), caso.righe);
  std::map<std::size_t, Accenti> trovati;
  for (std::size_t i = 0; i < righe.size(); ++i) {
    for (unsigned char ch : righe[i]) {
      if (ch < 0x80) continue;
      if (ch == 0xE8) {
        ++trovati[i + 1].e_grave;
      } else if (ch == 0xE0) {
        ++trovati[i + 1].a_grave;
      } else {
        ADD_FAILURE() << "byte " << int(ch) << " in line " << i + 1;
      }
    }
  }
  EXPECT_EQ(trovati, caso.accenti);
}

INSTANTIATE_TEST_SUITE_P(Files, FileScenario, ::testing::ValuesIn(casi()),
                         [](const auto& info) { return std::string(info.param.nome); });

TEST(GrigliaVuota, EmptyGridRowsWrittenOneByOne) {
  struct Serie {
    std::string (*dati)();
    std::size_t prima, quante;  // 1-based first line of the run, its length
  };
  for (const Serie& s : {Serie{dati_scheda, 23, 25}, Serie{dati_rallentamenti, 13, 26}}) {
    const std::vector<std::string> righe = dividi(s.dati());
    ASSERT_LT(s.prima + s.quante, righe.size());
    const std::string& riga = righe.at(s.prima - 1);
    EXPECT_EQ(riga.find_first_not_of(" |"), std::string::npos) << "not an empty grid row: " << riga;
    for (std::size_t i = s.prima - 1; i < s.prima - 1 + s.quante; ++i) EXPECT_EQ(righe[i], riga) << "line " << i + 1;
    // Bounded by a different row before and the closing rule after.
    EXPECT_NE(righe.at(s.prima - 2), riga);
    EXPECT_EQ(righe.at(s.prima - 1 + s.quante).find_first_not_of(" |_"), std::string::npos);
  }
}

// Landmarks inside the files that the general figures above do not reach.

std::vector<std::string> intestazioni(const std::vector<std::string>& righe) {
  std::vector<std::string> s;
  for (const std::string& r : righe)
    if (!r.empty() && r.front() == '[') s.push_back(r);
  return s;
}

TEST(DescrizioneLinea, SectionsInOrder) {
  EXPECT_EQ(intestazioni(dividi(dati_linea())),
            (std::vector<std::string>{"[generale]", "[curve]", "[pendenze]", "[montagne]", "[cartelli]",
                                      "[indicazioni]", "[fine]"}));
}

TEST(DescrizioneTreno, SectionsInOrderWithAnEmptyRestrictionSection) {
  const std::vector<std::string> righe = dividi(dati_treno());
  EXPECT_EQ(intestazioni(righe),
            (std::vector<std::string>{"[generale]", "[aderenze]", "[vel_limite]", "[stazioni]",
                                      "[rallentamenti]", "[segnali]", "[codici]", "[fine]"}));
  ASSERT_EQ(righe.size(), 57u);
  EXPECT_EQ(righe.at(14), "[rallentamenti]");
  EXPECT_EQ(righe.at(15), "[segnali]");
}

TEST(DescrizioneTreno, SignalLinesDifferOnlyInPositionButTheLast) {
  const std::vector<std::string> righe = dividi(dati_treno());
  ASSERT_EQ(righe.size(), 57u);
  EXPECT_EQ(righe.at(16), "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0");
  // Lines 17 to 53: the 37 signals, each "segnale," + 8-wide position + a tail.
  const std::string coda = righe.at(16).substr(16);
  for (std::size_t i = 16; i <= 52; ++i) {
    const std::string& r = righe[i];
    ASSERT_EQ(r.size(), 51u) << "line " << i + 1;
    EXPECT_EQ(r.substr(0, 8), "segnale,");
    if (i < 52) {
      EXPECT_EQ(r.substr(16), coda) << "line " << i + 1;
    }
  }
  EXPECT_EQ(righe.at(52).substr(8, 8), "   91450");
  std::string ultima_coda = coda;
  ultima_coda.at(7) = '3';  // the second number after the position
  EXPECT_EQ(righe.at(52).substr(16), ultima_coda);
}

TEST(OrdineRallentamento, PrescriptionKeyInOrderABDC) {
  const std::vector<std::string> righe = dividi(dati_rallentamenti());
  ASSERT_EQ(righe.size(), 46u);
  EXPECT_EQ(righe.at(41).substr(0, 4), " A -");
  EXPECT_EQ(righe.at(42).substr(0, 4), " B -");
  EXPECT_EQ(righe.at(43).substr(0, 4), " D -");
  EXPECT_EQ(righe.at(44).substr(0, 4), " C -");
  EXPECT_EQ(righe.at(45).substr(0, 5), "     ");
}

TEST(NoteScenario, SignatureIsNameAndTownWithProvinceInCapitals) {
  const std::vector<std::string> righe = dividi(dati_note());
  ASSERT_EQ(righe.size(), 28u);
  for (std::size_t n : {25u, 27u}) {
    const std::string& r = righe.at(n - 1);
    EXPECT_FALSE(r.empty()) << "line " << n;
    EXPECT_TRUE(std::none_of(r.begin(), r.end(), [](unsigned char ch) { return std::islower(ch); }))
        << "line " << n;
  }
  const std::string& citta = righe.at(26);
  ASSERT_GE(citta.size(), 5u);
  const std::string provincia = citta.substr(citta.size() - 5);
  EXPECT_EQ(provincia.front(), ' ');
  EXPECT_EQ(provincia.at(1), '(');
  EXPECT_TRUE(std::isupper(static_cast<unsigned char>(provincia.at(2))));
  EXPECT_TRUE(std::isupper(static_cast<unsigned char>(provincia.at(3))));
  EXPECT_EQ(provincia.back(), ')');
}

TEST(NoteScenario, AccentedLettersAtTheirPlaces) {
  const std::vector<std::string> righe = dividi(dati_note());
  ASSERT_EQ(righe.size(), 28u);
  EXPECT_EQ(righe.at(0).size(), 71u);
  EXPECT_EQ(righe.at(0).find('\xE8'), 16u);       // "AV è la futura"
  EXPECT_EQ(righe.at(1).size(), 186u);            // one line, no break
  EXPECT_EQ(righe.at(10).substr(0, 10), " Velocit\xE0 ");
  EXPECT_EQ(righe.at(20).find('\xE0'), 26u);      // "Pravena sarà"
}

}  // namespace
}  // namespace sc
