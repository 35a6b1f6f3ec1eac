#include "decompile/decompile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "decompile/decoders.h"
#include "decompile/verify.h"
#include "model/printf_string.h"
#include "tests/support/lines.h"
#include "writers/scenario.h"

namespace sc::decompile {
namespace {

const Compiled& embedded() {
  static const Compiled c = compile_in_memory(dati_linea(), dati_treno(), "Corvale_Pravena AV",
                                              "409", /*with_tracciato=*/true);
  return c;
}

CompiledFiles files_of(const Compiled& c) { return {c.celle, c.elementi, c.tracciato}; }

// A small scenario with a restriction, a signal, a station, tunnels and curves.
const std::string small_linea =
    "[generale]\r\nlunghezza percorso,    5000\r\n"
    "progressiva chilometrica uno,    100,    200,    1\r\n"
    "progressiva chilometrica due,    300,    0,    0\r\n"
    "progressiva chilometrica tre,    300,    50,    0\r\n"
    "ripetizione segnali 4 codici,    50,    0\r\n"
    "[curve]\r\ncurvas2,  1000,  500\r\ncurvas2,  1500,  700\r\ncurvad6,  3000,  10\r\n"
    "[pendenze]\r\npendenza,   0,    1\r\npendenza,  1000,   1\r\npendenza,  2025,   -2\r\n"
    "[montagne]\r\nmontagna,   1000,  1400,  12\r\nmontagna,   1500,  2000,  11\r\n"
    "[fine]\r\n";
const std::string small_treno =
    "[generale]\r\nnumero vetture,    3\r\n"
    "[vel_limite]\r\nvelocita,   0,    100\r\nvelocita,   2000,    100\r\nvelocita,   2500,    "
    "162\r\n"
    "[stazioni]\r\nstazione,    3000, 12,  400,  0, 0, 1,  1,1,0,  4,1,1,    1,   10, 5, 7, "
    "NORD\r\n"
    "[rallentamenti]\r\nrallentamento,   2000,   60,   500,   1, 1, 0\r\n"
    "[segnali]\r\nsegnale,    1000,   2, 4, 1,  1, 0,    2,  2,1,1, 40\r\n"
    "[codici]\r\nabbattimento,   4000,   0\r\n"
    "[fine]\r\n";

const Compiled& small() {
  static const Compiled c = compile_in_memory(small_linea, small_treno, "Piccola", "7", true);
  return c;
}

// Under the sanitizers every compile costs some 25 times more: the loops
// over many inputs run a tenth of their rounds there.
#if defined(__SANITIZE_ADDRESS__)
constexpr int tenth = 10;
#else
constexpr int tenth = 1;
#endif

using test::one_per_line;

TEST(Decompile, EmbeddedScenarioRoundTrips) {
  ASSERT_TRUE(embedded().written);
  const Decompilation d = decompile(files_of(embedded()));
  EXPECT_TRUE(d.identical()) << d.difference.value_or("") << "\n" << one_per_line(d.unexplained);
  EXPECT_TRUE(d.unexplained.empty()) << one_per_line(d.unexplained);
  EXPECT_TRUE(d.faults.empty()) << one_per_line(d.faults);
  EXPECT_EQ(d.nome_scenario, "Corvale_Pravena AV");
  EXPECT_EQ(d.numero_treno, "409");
}

// Byte `n` of `s` replaced by `b`.
std::string with_byte(std::string s, size_t n, char b) {
  s.at(n) = b;
  return s;
}

bool contains(const std::vector<std::string>& v, const std::string& text) {
  for (const std::string& x : v) {
    if (x.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(Decompile, DamagedFilesNameWhatNoEntryExplains) {
  const Compiled& c = small();
  const size_t cella_100 = 100 * 15, cella_150 = 150 * 15;
  // Record 0 begins the element table; its name length is at bytes 14 and 15.
  std::string elementi_0 = c.elementi;
  elementi_0.insert(16, "X");
  elementi_0[14] = 1;
  std::string plan = *c.tracciato;
  // Rows 0 and 1 take 4 bytes each, every later row 10 (a tag and a double):
  // the top byte of x at row 5004.
  plan[8 + 10 * (5004 - 2) + 2 + 7] ^= 0x01;
  const struct {
    const char* test_case;
    std::string celle, elementi, tracciato;
    std::string expected;  // in one of the messages
  } cases[] = {
      {"unused element type", with_byte(c.celle, cella_100, 9), c.elementi, *c.tracciato,
       "cell 100 (5000 m): tipo 9 is explained by no entry"},
      {"stray approach marker", with_byte(c.celle, cella_150 + 10, 7), c.elementi, *c.tracciato,
       "cell 150 (7500 m): avviso 7 is explained by no entry"},
      {"contest code", with_byte(c.celle, 18, 0), c.elementi, *c.tracciato, "cell 1: contest code"},
      {"name in record 0", c.celle, elementi_0, *c.tracciato, "record 0: explained by no entry"},
      {"track plan point", c.celle, c.elementi, plan,
       "track plan row 5004: no straight or curved step"},
  };
  for (const auto& k : cases) {
    const Decompilation d = decompile({k.celle, k.elementi, k.tracciato});
    EXPECT_FALSE(d.identical()) << k.test_case;
    EXPECT_TRUE(contains(d.unexplained, k.expected)) << k.test_case << ":\n"
                                                     << one_per_line(d.unexplained);
    // What can be explained is still written.
    EXPECT_NE(d.treno.find("segnale,    1000"), std::string::npos) << k.test_case;
  }
}

// The first byte where two files differ, as the decompile names it.
std::string first_difference(const std::string& input, const std::string& compiled) {
  size_t n = 0;
  while (n < input.size() && n < compiled.size() && input[n] == compiled[n]) ++n;
  const auto hex = [n](const std::string& s) {
    return n < s.size() ? printf_string("0x%02x", static_cast<unsigned char>(s[n]))
                        : std::string("end of file");
  };
  return "track plan file: byte " + std::to_string(n) + " is " + hex(input) + " in the input, " +
         hex(compiled) + " compiled from the descriptions";
}

TEST(Decompile, TrackPlanReadInPiecesIsComparedToTheFirstDifferingByte) {
  // The embedded line's plan (2 MB) is compiled in several pieces, column 1
  // apart from column 0.
  const Compiled& c = embedded();
  const std::string& good = *c.tracciato;
  const size_t column_1 = good.size() / 2;  // every row but the seeds is a double
  const struct {
    const char* what;
    std::string plan;
  } cases[] = {
      {"a byte of column 0", with_byte(good, 8 + 10 * 100 + 5, 0x33)},
      {"a byte near the end of column 1", with_byte(good, good.size() - 40, 0x44)},
      {"a byte where column 1 begins", with_byte(good, column_1 + 3, 0x01)},
      {"one byte short", good.substr(0, good.size() - 1)},
      {"two bytes more", good + std::string(2, '\0')},
      {"no rows", ""},
  };
  for (const auto& k : cases) {
    // Read back at most 1000 bytes at a time, as a file may give them.
    const PlanBytes pieces(
        [&k](size_t offset, char* out, size_t n) -> size_t {
          if (offset >= k.plan.size()) return 0;
          const size_t m = std::min({n, size_t{1000}, k.plan.size() - offset});
          std::copy_n(k.plan.data() + offset, m, out);
          return m;
        },
        k.plan.size());
    Decompilation d;
    try {
      d = decompile({c.celle, c.elementi, pieces});
    } catch (const DecodeError& e) {
      // Not a plan at all: refused as decode_plan refuses it.
      EXPECT_THROW(decode_plan(k.plan), DecodeError) << k.what;
      continue;
    }
    ASSERT_TRUE(d.difference) << k.what;
    const Compiled again =
        compile_in_memory(d.linea, d.treno, d.nome_scenario, d.numero_treno, true);
    ASSERT_TRUE(again.tracciato) << k.what;
    EXPECT_EQ(*d.difference, first_difference(k.plan, *again.tracciato)) << k.what;
  }
}

// The descriptions of a small line: the compile's own additions are not
// written, stretches of equal values are one entry, positions are on the
// 50 m grid of the cells.
TEST(Decompile, SmallScenarioReadsAsAnAuthorWouldWriteIt) {
  const Compiled& c = small();
  ASSERT_TRUE(c.written && c.faults.empty()) << one_per_line(c.faults);
  const Decompilation d = decompile(files_of(c));
  ASSERT_TRUE(d.identical()) << *d.difference << "\n" << one_per_line(d.unexplained);
  EXPECT_EQ(d.linea,
            "[generale]\r\nlunghezza percorso,    5000\r\n"
            "progressiva chilometrica uno,    100,    200,    1\r\n"
            "progressiva chilometrica due,    300,    0,    0\r\n"
            "progressiva chilometrica tre,    300,    50,    0\r\n"
            "sfondo uno,    0\r\nsfondo due,    0\r\nsfondo tre,    0\r\n"
            "ripetizione segnali 9 codici,    50,    0\r\n"
            "[curve]\r\ncurvas2,  1000,  1200\r\ncurvad6,  3000,  10\r\n"
            "[pendenze]\r\npendenza,   0,    1\r\npendenza,  2000,   -2\r\n"
            "[montagne]\r\nmontagna,   1000,  1400,  12\r\nmontagna,   1500,  2000,  13\r\n"
            "[cartelli]\r\n[indicazioni]\r\n[fine]\r\n");
  EXPECT_EQ(
      d.treno,
      "[generale]\r\nnumero vetture,    3\r\npercentuale massa frenata,    0\r\nsabbia,    0\r\n"
      "orologio,    0              0            0 \r\n"
      "[aderenze]\r\naderenza,   0,    0\r\n"
      "[vel_limite]\r\nvelocita,   0,    100\r\nvelocita,    2500,   160\r\n"
      "[stazioni]\r\nstazione,    3000, 12,  400,  0, 0, 1,  1,1,0,  4,1,1,    1,  10, 5, 7, "
      "NORD\r\n"
      "[rallentamenti]\r\nrallentamento,   2000,   60,   500,   1, 1, 0\r\n"
      "[segnali]\r\nsegnale,    1000,   2, 4, 1,  1, 0,    2,  2,1,1, 101\r\n"
      "[codici]\r\nabbattimento,    4000,   0\r\n[fine]\r\n");
}

// Rarer entries, each added to a small scenario: what the compile stores of
// them must come back whole.
TEST(Decompile, RareEntriesComeBackByteForByte) {
  const struct {
    const char* test_case;
    std::string linea, treno;  // entries added to the line and the train description
  } cases[] = {
      {"gradients at the ends of the byte", "pendenza,  500,   -100\r\npendenza,  900,   155\r\n",
       ""},
      {"speed and adhesion up to cell U - 2", "",
       "velocita,   0,    80\r\nvelocita,   11900,    80\r\naderenza,  11850,  7\r\naderenza,  "
       "11900,  9\r\n"},
      {"tunnel kinds 0, 7, 15 and 11 without markers",
       "montagna,   500,  900,  0\r\nmontagna,   1000,  1500,  7\r\nmontagna,   2000,  2600,  "
       "15\r\n"
       "montagna,   3000,  3400,  -245\r\n",
       ""},
      {"tunnels back to back in two marker phases",
       "montagna,   500,  1000,  13\r\nmontagna,   1000,  1650,  13\r\n", ""},
      {"tunnels back to back, each of its own kind",
       "montagna,   500,  1000,  1\r\nmontagna,   200,  300,  1\r\nmontagna,   1000,  1650,  "
       "12\r\n",
       ""},
      {"speed-indicator values off the 5 km/h grid",
       "indicatori_vmax,  700,  83,  -20,  500,  12,  83,  7,  9,  -3\r\n", ""},
      {"boards in cell 0 and in cell U - 1",
       "indicatori_vmax,  -50,  80,  80,  80,  1,  80,  80,  80,  1\r\n"
       "cartello_indicatore,  11900,   (FINE)\r\n",
       ""},
      {"kilometre references with zero first values",
       "progressiva chilometrica due,    0,    500,    1\r\nprogressiva chilometrica uno,    0,    "
       "300,    0\r\n",
       ""},
      {"signal times and sides", "",
       "segnale,    700,   2, 9, 9,  9, 9,    2,  9,9,9, 30\r\nsegnale,    1500,   2, 0, 0,  0, 0, "
       "   0,  0,0,0, 300\r\n"
       "segnale,    2500,   1, 1, 2,  3, 4,    1,  5,6,7, 80\r\nsegnale,    3500,   3, 1, 1,  1, "
       "0,    0,  1,1,1, 0\r\n"},
      {"station approach markers over a signal's", "",
       "segnale,    4000,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
       "stazione,    3900, 12,  200,  0, 0, 0,  1,1,0,  4,1,1,    1,   0, 0, 0, DOPO\r\n"},
      {"cab codes without speed and beyond 16 bits", "",
       "abbattimento,   700,   -5\r\nabbattimento,   900,   70000\r\nabbattimento,   1100,   "
       "40000\r\n"},
      {"restriction near the origin, and one without approach cells", "",
       "rallentamento,   1000,   250,   400,   3, 1, 2\r\nrallentamento,   5000,   90,   1000,   "
       "0, 0, 0\r\n"},
      {"stations of type 30, of 500 m and centred first", "",
       "stazione,    1000, 14,  300,  1, 9, 2,  1,1,0,  4,1,1,    1,   0, 0, 0, PRIMA\r\n"
       "stazione,    3000, 30,  400,  2, 9, 1,  -7,2,3,  4,5,6,    7,  23,59,59, SECONDA\r\n"
       "stazione,    5000,  7,  500,  3, 9, 4,  1,1,0,  4,1,1,    1,   1, 2, 3, TERZA\r\n"},
  };
  const std::string base_linea =
      "[generale]\r\nlunghezza percorso,    5000\r\n[pendenze]\r\npendenza,   0,    2\r\n";
  const std::string base_treno = "[generale]\r\nvelocita,   0,    100\r\n";
  for (const auto& k : cases) {
    const Compiled c = compile_in_memory(base_linea + k.linea + "[fine]\r\n",
                                         base_treno + k.treno + "[fine]\r\n", "Rara", "1", true);
    ASSERT_TRUE(c.written && c.faults.empty()) << k.test_case << ": " << one_per_line(c.faults);
    const Decompilation d = decompile(files_of(c));
    EXPECT_TRUE(d.identical() && d.unexplained.empty())
        << k.test_case << ": " << d.difference.value_or("") << "\n"
        << one_per_line(d.unexplained) << d.linea << d.treno;
  }
}

// Any byte of any file changed: no crash, and either the files still come
// back whole (the change is one a description can make) or something is
// named as unexplained.
TEST(Decompile, ChangedBytesAreExplainedOrNamed) {
  const Compiled& c = small();
  ASSERT_TRUE(c.written);
  std::mt19937 r(17);
  int named = 0;
  for (int fixture = 0; fixture < 150 / tenth; ++fixture) {
    std::string f[3] = {c.celle, c.elementi, *c.tracciato};
    std::string& target = f[fixture % 3];
    const size_t n = std::uniform_int_distribution<size_t>(0, target.size() - 1)(r);
    target[n] = static_cast<char>(target[n] ^ std::uniform_int_distribution<int>(1, 255)(r));
    Decompilation d;
    try {
      d = decompile({f[0], f[1], f[2]});
    } catch (const DecodeError&) {
      continue;  // no longer the layout of its kind (a name length, a plan tag)
    }
    EXPECT_TRUE(d.identical() || !d.unexplained.empty())
        << "file " << fixture % 3 << ", byte " << n;
    named += d.identical() ? 0 : 1;
  }
  EXPECT_GT(named, 50 / tenth) << named;
}

}  // namespace
}  // namespace sc::decompile
