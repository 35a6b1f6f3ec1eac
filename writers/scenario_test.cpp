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

#include "writers/content.h"

namespace sc {
namespace {

// Accented letters of one line: counts of 0xE8 and 0xE0.
struct AccentCase {
  int e_grave = 0;
  int a_grave = 0;
  bool operator==(const AccentCase&) const = default;
};

struct FileCase {
  const char* nome;
  std::string (*dati)();
  const std::vector<std::string>& (*table)();
  std::size_t rows;
  std::size_t byte;               // fixed bytes, without the free lines below
  std::vector<std::size_t> free;  // lines whose text is free (signature)
  std::uint64_t footprint;        // FNV-1a of the bytes, free lines emptied
  std::size_t longest_line;
  std::string first;
  std::string last;
  std::set<std::size_t> empty;                         // every empty line, 1-based
  std::map<std::size_t, std::size_t> trailing_blanks;  // line -> trailing blanks
  std::map<std::size_t, AccentCase> accents;           // lines with bytes >= 0x80
};

void PrintTo(const FileCase& test_case, std::ostream* os) { *os << test_case.nome; }

std::vector<std::string> split(const std::string& dati) {
  std::vector<std::string> rows;
  std::size_t inizio = 0;
  for (std::size_t fine; (fine = dati.find("\r\n", inizio)) != std::string::npos; inizio = fine + 2)
    rows.push_back(dati.substr(inizio, fine - inizio));
  EXPECT_EQ(inizio, dati.size()) << "text after the last CR LF";
  return rows;
}

const std::vector<FileCase>& cases() {
  static const std::vector<FileCase> c{
      {"linea",
       dati_linea,
       line_table,
       74,
       2633,
       {},
       0x18f445e7b5afc5ff,
       79,
       "[generale]",
       "[fine]",
       {},
       {},
       {}},
      {"treno",
       dati_treno,
       train_table,
       57,
       2574,
       {},
       0x591f4d85bd11af82,
       88,
       "[generale]",
       "[fine]",
       {},
       {{5, 1}},
       {}},
      {"scheda",
       dati_scheda,
       sheet_table,
       49,
       3733,
       {},
       0x4b0c1c14edaae340,
       83,
       "",
       "",
       {1, 2, 12, 49},
       {{9, 7}},
       {}},
      {"rallentamenti",
       dati_rallentamenti,
       restriction_table,
       46,
       3281,
       {},
       0x58e6b8a567a31074,
       82,
       "",
       "     i giorni esclusi i seguenti:.........",
       {1, 6, 40},
       {},
       {}},
      {"note",
       dati_note,
       note_table,
       28,
       856,
       {25, 27},
       0x66b46795629ffebe,
       186,
       "Questa linea AV \xE8 la futura Corvale-Pravena attualmente in costruzione.",
       "",
       {3, 5, 6, 18, 19, 22, 24, 26, 28},
       {{8, 1}, {9, 1}},
       {{1, {1, 0}}, {2, {1, 2}}, {11, {0, 1}}, {12, {0, 1}}, {20, {2, 0}}, {21, {0, 1}}}},
  };
  return c;
}

// FNV-1a (64 bit) of the file with the text of the free lines left out
// (their CR LF kept): pins every other byte of the content.
std::uint64_t footprint(const std::vector<std::string>& rows,
                        const std::vector<std::size_t>& free) {
  std::uint64_t h = 0xcbf29ce484222325u;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::string riga = rows[i];
    if (std::find(free.begin(), free.end(), i + 1) != free.end()) riga.clear();
    for (unsigned char ch : riga + "\r\n") {
      h ^= ch;
      h *= 0x100000001b3u;
    }
  }
  return h;
}

class FileScenario : public ::testing::TestWithParam<FileCase> {
 protected:
  const FileCase& test_case = GetParam();
  const std::string dati = test_case.dati();
  const std::vector<std::string> rows = split(dati);
};

TEST_P(FileScenario, SizeLineCountAndLineEnds) {
  ASSERT_EQ(rows.size(), test_case.rows);
  std::size_t free_bytes = 0;
  for (std::size_t n : test_case.free) free_bytes += rows.at(n - 1).size();
  EXPECT_EQ(dati.size(), test_case.byte + free_bytes);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].find_first_of("\r\n"), std::string::npos)
        << "bare CR or LF in line " << i + 1;
  }
  ASSERT_GE(dati.size(), 2u);
  EXPECT_EQ(dati.substr(dati.size() - 2), "\r\n");
  std::size_t longest = 0;
  for (const std::string& r : rows) longest = std::max(longest, r.size());
  EXPECT_EQ(longest, test_case.longest_line);
  EXPECT_EQ(footprint(rows, test_case.free), test_case.footprint);
}

TEST_P(FileScenario, TableEndsWithTheMarkerWhichIsNeverWritten) {
  const std::vector<std::string>& t = test_case.table();
  ASSERT_EQ(t.size(), test_case.rows + 1);
  ASSERT_LE(t.size(), 1001u);
  EXPECT_EQ(t.back(), marcatore_fine);
  EXPECT_EQ(std::count(t.begin(), t.end(), std::string(marcatore_fine)), 1);
  EXPECT_EQ(dati.find(marcatore_fine), std::string::npos);
  EXPECT_EQ(dati.find("fine del file"), std::string::npos);
}

TEST_P(FileScenario, FirstLastAndEmptyLines) {
  ASSERT_EQ(rows.size(), test_case.rows);
  EXPECT_EQ(rows.front(), test_case.first);
  EXPECT_EQ(rows.back(), test_case.last);
  std::set<std::size_t> empty;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].empty()) empty.insert(i + 1);
  EXPECT_EQ(empty, test_case.empty);
}

TEST_P(FileScenario, TrailingBlanksKept) {
  ASSERT_EQ(rows.size(), test_case.rows);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string& r = rows[i];
    const std::size_t last = r.find_last_not_of(' ');
    const std::size_t blanchi = last == std::string::npos ? r.size() : r.size() - last - 1;
    const auto expected = test_case.trailing_blanks.find(i + 1);
    EXPECT_EQ(blanchi, expected == test_case.trailing_blanks.end() ? 0u : expected->second)
        << "line " << i + 1;
  }
}

TEST_P(FileScenario, OnlyTheAccentedLettersAreAboveAscii) {
  ASSERT_EQ(rows.size(), test_case.rows);
  std::map<std::size_t, AccentCase> found;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (unsigned char ch : rows[i]) {
      if (ch < 0x80) continue;
      if (ch == 0xE8) {
        ++found[i + 1].e_grave;
      } else if (ch == 0xE0) {
        ++found[i + 1].a_grave;
      } else {
        ADD_FAILURE() << "byte " << int(ch) << " in line " << i + 1;
      }
    }
  }
  EXPECT_EQ(found, test_case.accents);
}

INSTANTIATE_TEST_SUITE_P(Files, FileScenario, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.nome); });

TEST(GrigliaVuota, EmptyGridRowsWrittenOneByOne) {
  struct Series {
    std::string (*dati)();
    std::size_t first, how_many;  // 1-based first line of the run, its length
  };
  for (const Series& s : {Series{dati_scheda, 23, 25}, Series{dati_rallentamenti, 13, 26}}) {
    const std::vector<std::string> rows = split(s.dati());
    ASSERT_LT(s.first + s.how_many, rows.size());
    const std::string& riga = rows.at(s.first - 1);
    EXPECT_EQ(riga.find_first_not_of(" |"), std::string::npos) << "not an empty grid row: " << riga;
    for (std::size_t i = s.first - 1; i < s.first - 1 + s.how_many; ++i)
      EXPECT_EQ(rows[i], riga) << "line " << i + 1;
    // Bounded by a different row before and the closing rule after.
    EXPECT_NE(rows.at(s.first - 2), riga);
    EXPECT_EQ(rows.at(s.first - 1 + s.how_many).find_first_not_of(" |_"), std::string::npos);
  }
}

// Landmarks inside the files that the general figures above do not reach.

std::vector<std::string> headers(const std::vector<std::string>& rows) {
  std::vector<std::string> s;
  for (const std::string& r : rows)
    if (!r.empty() && r.front() == '[') s.push_back(r);
  return s;
}

TEST(LineDescription, SectionsInOrder) {
  EXPECT_EQ(headers(split(dati_linea())),
            (std::vector<std::string>{"[generale]", "[curve]", "[pendenze]", "[montagne]",
                                      "[cartelli]", "[indicazioni]", "[fine]"}));
}

TEST(TrainDescription, SectionsInOrderWithAnEmptyRestrictionSection) {
  const std::vector<std::string> rows = split(dati_treno());
  EXPECT_EQ(headers(rows),
            (std::vector<std::string>{"[generale]", "[aderenze]", "[vel_limite]", "[stazioni]",
                                      "[rallentamenti]", "[segnali]", "[codici]", "[fine]"}));
  ASSERT_EQ(rows.size(), 57u);
  EXPECT_EQ(rows.at(14), "[rallentamenti]");
  EXPECT_EQ(rows.at(15), "[segnali]");
}

TEST(TrainDescription, SignalLinesDifferOnlyInPositionButTheLast) {
  const std::vector<std::string> rows = split(dati_treno());
  ASSERT_EQ(rows.size(), 57u);
  EXPECT_EQ(rows.at(16), "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0");
  // Lines 17 to 53: the 37 signals, each "segnale," + 8-wide position + a tail.
  const std::string coda = rows.at(16).substr(16);
  for (std::size_t i = 16; i <= 52; ++i) {
    const std::string& r = rows[i];
    ASSERT_EQ(r.size(), 51u) << "line " << i + 1;
    EXPECT_EQ(r.substr(0, 8), "segnale,");
    if (i < 52) {
      EXPECT_EQ(r.substr(16), coda) << "line " << i + 1;
    }
  }
  EXPECT_EQ(rows.at(52).substr(8, 8), "   91450");
  std::string last_tail = coda;
  last_tail.at(7) = '3';  // the second number after the position
  EXPECT_EQ(rows.at(52).substr(16), last_tail);
}

TEST(RestrictionOrder, PrescriptionKeyInOrderABDC) {
  const std::vector<std::string> rows = split(dati_rallentamenti());
  ASSERT_EQ(rows.size(), 46u);
  EXPECT_EQ(rows.at(41).substr(0, 4), " A -");
  EXPECT_EQ(rows.at(42).substr(0, 4), " B -");
  EXPECT_EQ(rows.at(43).substr(0, 4), " D -");
  EXPECT_EQ(rows.at(44).substr(0, 4), " C -");
  EXPECT_EQ(rows.at(45).substr(0, 5), "     ");
}

TEST(NoteScenario, SignatureIsNameAndTownWithProvinceInCapitals) {
  const std::vector<std::string> rows = split(dati_note());
  ASSERT_EQ(rows.size(), 28u);
  for (std::size_t n : {25u, 27u}) {
    const std::string& r = rows.at(n - 1);
    EXPECT_FALSE(r.empty()) << "line " << n;
    EXPECT_TRUE(std::none_of(r.begin(), r.end(), [](unsigned char ch) { return std::islower(ch); }))
        << "line " << n;
  }
  const std::string& citta = rows.at(26);
  ASSERT_GE(citta.size(), 5u);
  const std::string province = citta.substr(citta.size() - 5);
  EXPECT_EQ(province.front(), ' ');
  EXPECT_EQ(province.at(1), '(');
  EXPECT_TRUE(std::isupper(static_cast<unsigned char>(province.at(2))));
  EXPECT_TRUE(std::isupper(static_cast<unsigned char>(province.at(3))));
  EXPECT_EQ(province.back(), ')');
}

TEST(NoteScenario, AccentedLettersAtTheirPlaces) {
  const std::vector<std::string> rows = split(dati_note());
  ASSERT_EQ(rows.size(), 28u);
  EXPECT_EQ(rows.at(0).size(), 71u);
  EXPECT_EQ(rows.at(0).find('\xE8'), 16u);  // "AV è la futura"
  EXPECT_EQ(rows.at(1).size(), 186u);       // one line, no break
  EXPECT_EQ(rows.at(10).substr(0, 10), " Velocit\xE0 ");
  EXPECT_EQ(rows.at(20).find('\xE0'), 26u);  // "Pravena sarà"
}

}  // namespace
}  // namespace sc
