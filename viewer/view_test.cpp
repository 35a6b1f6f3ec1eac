#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "format/celle.h"
#include "format/compiled_decode_test.h"
#include "viewer/view_data.h"
#include "viewer/view_geometry.h"
#include "writers/scenario.h"

namespace sc::view {
namespace {

TEST(Window, ZoomKeepsThePointUnderThePointerAndStaysOnTheLine) {
  const double fine = 100000;
  Window f{0, fine};
  f.zoom(0.5, 30000, fine);  // 30 km stays 30 % across
  EXPECT_DOUBLE_EQ(f.from, 15000);
  EXPECT_DOUBLE_EQ(f.a, 65000);
  f.move(-50000, fine);  // not before the start
  EXPECT_DOUBLE_EQ(f.from, 0);
  EXPECT_DOUBLE_EQ(f.a, 50000);
  f.center(99000, fine);  // not past the end
  EXPECT_DOUBLE_EQ(f.a, fine);
  EXPECT_DOUBLE_EQ(f.span(), 50000);
  for (int i = 0; i < 100; ++i) f.zoom(0.5, 70000, fine);
  EXPECT_DOUBLE_EQ(f.span(), 500);  // never narrower than 500 m
  for (int i = 0; i < 100; ++i) f.zoom(2, 70000, fine);
  EXPECT_DOUBLE_EQ(f.from, 0);  // never wider than the line
  EXPECT_DOUBLE_EQ(f.a, fine);
}

class Origin : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fixture::test_dir("vista");
    s.linea = (dir / "Corvale_Pravena AV_linea.txt").string();
    s.treno = (dir / "Corvale_Pravena AV_409-.txt").string();
    fixture::write(s.linea, dati_linea());
    std::string t = dati_treno();
    const size_t section = t.find("[rallentamenti]");
    ASSERT_NE(section, std::string::npos);
    t.insert(t.find('\n', section) + 1, "rallentamento,   8000,  60,  1000,  1,  1,  0\r\n");
    fixture::write(s.treno, t);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
  Source s;
};

TEST_F(Origin, EachCellNamesTheEntriesThatPutItThere) {
  const Loading c = load(s);
  ASSERT_TRUE(c.errore.empty()) << c.errore;
  ASSERT_TRUE(c.faults.empty()) << fault_line(c.faults.front());
  EXPECT_EQ(c.outcome, "compiled without fault");
  const int line = [&] {
    for (const DescriptionEntry& v : c.entries)
      if (v.key() == "rallentamento") return v.line;
    return 0;
  }();
  ASSERT_GT(line, 0);
  const std::string restr = "Corvale_Pravena AV_409-.txt:" + std::to_string(line) +
                            ": rallentamento, 8000, 60, 1000, 1, 1, 0";
  // warning (8000 - 1200 m), start, end (8000 + 1000 m): cells one after
  // their positions; a tunnel cell names its tunnel; every cell its speed
  // and gradient entries.
  const struct {
    size_t cella;
    std::string before;  // the first entry named
  } cases[] = {
      {137, restr},
      {161, restr},
      {181, restr},
      {71, "Corvale_Pravena AV_409-.txt:18: segnale, 3500, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0"},
      {1668, "Corvale_Pravena AV_409-.txt:56: abbattimento, 83400, 280"},
      {5, "Corvale_Pravena AV_409-.txt:9: velocita, 0, 30"},
  };
  for (const auto& test_case : cases) {
    const std::vector<std::string> p = origin(c, test_case.cella);
    ASSERT_FALSE(p.empty()) << test_case.cella;
    EXPECT_EQ(p.front(), test_case.before) << test_case.cella;
  }
  const std::vector<std::string> galleria = origin(c, 100);
  ASSERT_FALSE(galleria.empty());
  EXPECT_EQ(galleria.back(), "Corvale_Pravena AV_linea.txt:43: montagna, 4500, 15200, 11");
  EXPECT_TRUE(origin(c, 100000).empty());
  const std::vector<std::string> d = describe_cella(c, 71);
  ASSERT_GE(d.size(), 2u);
  EXPECT_EQ(d[0], "cell 71: 3550 to 3600 m");
  EXPECT_EQ(d[1], "signal at 3500 m: left 2 (4/1/1), right 2 (2/1/1), rapp 0");
}

TEST_F(Origin, AFaultIsListedAndNothingIsWritten) {
  std::ifstream in(s.treno, std::ios::binary);
  std::string t((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  t.replace(t.find("segnale,    7500,"), 17, "segnale,    3500,");
  fixture::write(s.treno, t);
  const Loading c = load(s);
  ASSERT_EQ(c.faults.size(), 1u);
  EXPECT_EQ(c.outcome, "1 fault");
  EXPECT_NE(
      fault_line(c.faults.front()).find(":19:13: error: signal cell 71 already holds a signal"),
      std::string::npos)
      << fault_line(c.faults.front());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}),
            2);  // the two descriptions only
}

// A reload after a save that left something unreadable in a
// description's place keeps what was shown, saying why in the status and
// the pane's first line; it never waits on a pipe or reads a device. A
// folder replaced by a copy is read again from the copy.
TEST_F(Origin, AReloadThatCannotReadKeepsTheLastGoodState) {
  namespace fs = std::filesystem;
  std::ifstream in(s.treno, std::ios::binary);
  const std::string good_treno((std::istreambuf_iterator<char>(in)), {});
  std::string damaged = good_treno;
  damaged.replace(damaged.find("segnale,    7500,"), 17, "segnale,    3500,");
  const struct {
    const char* what;
    std::function<void(const std::string& treno)> change;
    const char* errore;  // "": the reload reads the new files
  } cases[] = {
      {"a link to /dev/zero",
       [](const std::string& t) {
         fs::remove(t);
         fs::create_symlink("/dev/zero", t);
       },
       "is not a regular file"},
      {"a FIFO",
       [](const std::string& t) {
         fs::remove(t);
         ASSERT_EQ(::mkfifo(t.c_str(), 0644), 0);
       },
       "is not a regular file"},
      {"a folder", [](const std::string& t) { fs::remove(t), fs::create_directory(t); },
       "is a directory, not a file"},
      {"removed", [](const std::string& t) { fs::remove(t); }, "No such file or directory"},
      {"the folder replaced by a copy with a fault",
       [&](const std::string& t) {
         const fs::path d = fs::path(t).parent_path();
         fs::rename(d, d.string() + ".old");
         fs::copy(d.string() + ".old", d);
         fixture::write(t, damaged);
         fs::remove_all(d.string() + ".old");
       },
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fixture::write(s.treno, good_treno);
    Loading shown = load(s);
    ASSERT_TRUE(shown.errore.empty() && shown.has_celle()) << shown.errore;
    const std::string celle = serializza_celle(shown.scenario.celle);
    const size_t panel = shown.panel.size();

    c.change(s.treno);
    shown = reload(s, std::move(shown));
    if (*c.errore == '\0') {
      EXPECT_TRUE(shown.errore.empty()) << shown.errore;
      EXPECT_EQ(shown.faults.size(), 1u);
      EXPECT_FALSE(shown.stale);
      continue;
    }
    EXPECT_NE(shown.errore.find(c.errore), std::string::npos) << shown.errore;
    EXPECT_EQ(shown.errore.rfind("not reloaded: ", 0), 0u) << shown.errore;
    EXPECT_EQ(serializza_celle(shown.scenario.celle), celle);
    ASSERT_EQ(shown.panel.size(), panel + 1);
    EXPECT_EQ(shown.panel.front().text, shown.errore);
    // Failing again says so once, not twice.
    shown = reload(s, std::move(shown));
    EXPECT_EQ(shown.panel.size(), panel + 1);
    EXPECT_EQ(serializza_celle(shown.scenario.celle), celle);
    // A good file again: read as it is, the old reason gone.
    fs::remove_all(s.treno);
    fixture::write(s.treno, damaged);
    shown = reload(s, std::move(shown));
    EXPECT_TRUE(shown.errore.empty()) << shown.errore;
    EXPECT_FALSE(shown.stale);
    EXPECT_EQ(shown.faults.size(), 1u);
  }
}

// A warning is listed in the pane with its line, and a click on it goes to
// the position of its entry when the entry has one; the scenario is drawn
// as without it.
TEST_F(Origin, AWarningIsListedWithItsLineAndTheEntrysPosition) {
  const std::string original = [&] {
    std::ifstream in(s.treno, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }();
  const size_t section = original.find("[rallentamenti]");
  ASSERT_NE(section, std::string::npos);
  const size_t inizio = original.find('\n', section) + 1;
  const int line = static_cast<int>(std::count(
                       original.begin(), original.begin() + static_cast<long>(inizio), '\n')) +
                   1;
  const struct {
    std::string entry;
    std::string codice;
    std::optional<int32_t> posizione;
  } cases[] = {
      {"velocita,   1500,   250,   20", "[W2]", 1500},  // a value left over: the entry's position
      {"velocita-limite,   1500,   250", "[W4]",
       1500},  // an entry disabled by a hyphen: where it stood
      {"velocia,   1500,   250", "[W1]", std::nullopt},  // an unknown key: no position to go to
  };
  for (const auto& test_case : cases) {
    std::string t = original;
    t.insert(inizio, test_case.entry + "\r\n");
    fixture::write(s.treno, t);
    const Loading c = load(s);
    ASSERT_TRUE(c.errore.empty()) << c.errore;
    EXPECT_TRUE(c.faults.empty()) << test_case.entry;
    EXPECT_TRUE(c.has_celle()) << test_case.entry;
    EXPECT_EQ(c.outcome, "compiled without fault, 1 warning") << test_case.entry;
    ASSERT_EQ(c.panel.size(), 1u) << test_case.entry;
    const PanelEntry& v = c.panel.front();
    EXPECT_EQ(v.severity, Severity::avviso) << test_case.entry;
    EXPECT_EQ(v.file, s.treno) << test_case.entry;
    EXPECT_EQ(v.line, line) << test_case.entry;
    EXPECT_NE(v.text.find("409-.txt:" + std::to_string(line) + ":"), std::string::npos) << v.text;
    EXPECT_NE(v.text.find(": warning: "), std::string::npos) << v.text;
    EXPECT_NE(v.text.find(test_case.codice), std::string::npos) << v.text;
    EXPECT_EQ(v.posizione, test_case.posizione) << test_case.entry;
  }
}

// Faults and warnings together, in the order they were found (the order
// `check` prints them): the warning of an entry written before the taken
// signal comes first.
TEST_F(Origin, FaultsAndWarningsAreListedInTheOrderFound) {
  std::ifstream in(s.treno, std::ios::binary);
  std::string t((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  t.replace(t.find("segnale,    7500,"), 17, "segnale,    3500,");
  ASSERT_LT(t.find("[rallentamenti]"), t.find("segnale,    3500,"));
  t.insert(t.find('\n', t.find("[rallentamenti]")) + 1, "velocita,   1500,   250,   20\r\n");
  fixture::write(s.treno, t);
  const Loading c = load(s);
  EXPECT_EQ(c.outcome, "1 fault, 1 warning");
  ASSERT_EQ(c.faults.size(), 1u);
  ASSERT_EQ(c.panel.size(), 2u);
  EXPECT_EQ(c.panel[0].severity, Severity::avviso);
  EXPECT_EQ(c.panel[0].posizione, 1500);
  EXPECT_EQ(c.panel[1].severity, Severity::errore);
  EXPECT_LT(c.panel[0].line, c.panel[1].line);
  EXPECT_EQ(c.panel[1].text, fault_line(c.faults.front()));
  EXPECT_EQ(c.panel[1].posizione, 3500);  // the fault's own position
}

// The view compiles as `check` does: a --train that the train file's name
// contradicts is the same warning, first in the pane.
TEST_F(Origin, ATrainNumberAgainstTheFileNameIsWarnedAsCheckDoes) {
  s.numero = "410";
  const Loading c = load(s);
  EXPECT_EQ(c.outcome, "compiled without fault, 1 warning");
  ASSERT_EQ(c.panel.size(), 1u);
  EXPECT_EQ(c.panel[0].severity, Severity::avviso);
  EXPECT_NE(c.panel[0].text.find("--train 410 differs from the train number 409 of the file name"),
            std::string::npos)
      << c.panel[0].text;
}

TEST(EntryPosition, OnlyKeysThatPlaceSomethingGiveTheirFirstValue) {
  const std::vector<DescriptionEntry> entries = description_entries(
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
    int line;
    std::optional<int32_t> wait;
  } cases[] = {
      {"l.txt", 2, std::nullopt},  // the line length is no position
      {"l.txt", 3, 2500},         {"l.txt", 4, 4400},
      {"l.txt", 5, std::nullopt},  // not a number
      {"l.txt", 6, std::nullopt}, {"l.txt", 7, 9000},
      {"l.txt", 0, std::nullopt},                              // no line
      {"l.txt", 9, std::nullopt}, {"t.txt", 3, std::nullopt},  // another file
  };
  for (const auto& test_case : cases)
    EXPECT_EQ(entry_position(entries, test_case.file, test_case.line), test_case.wait)
        << test_case.file << ":" << test_case.line;
}

TEST_F(Origin, BoardsAreLabelledWithTheirSpeedsAndTexts) {
  const Loading c = load(s);
  ASSERT_TRUE(c.has_celle());
  const std::vector<CartelloLabel> e = cartelli_labels(c.scenario, 0, c.scenario.celle.size());
  const auto at = [&](size_t cella) -> const CartelloLabel* {
    for (const CartelloLabel& x : e)
      if (x.cella == cella) return &x;
    return nullptr;
  };
  const struct {
    size_t cella;
    int64_t metres;
    std::string text;
  } cases[] = {
      {41, 2000, "80/90/100"},                     // indicatori_vmax, 2000, 80, 90, 100, ...
      {89, 4400, "GALLERIA PIANORO Km. 10.710"},   // (GALLERIA PIANORO)( Km. 10.710     )
      {329, 16400, "GALLERIA SADURANO Km. 3767"},  // (   GALLERIA)(   SADURANO)(   Km. 3767)
  };
  for (const auto& test_case : cases) {
    const CartelloLabel* x = at(test_case.cella);
    ASSERT_NE(x, nullptr) << test_case.cella;
    EXPECT_EQ(x->metres, test_case.metres);
    EXPECT_EQ(x->text, test_case.text);
  }
  EXPECT_TRUE(std::is_sorted(e.begin(), e.end(),
                             [](const auto& a, const auto& b) { return a.cella < b.cella; }));
  // Only the cells asked for, and none past the end.
  const std::vector<CartelloLabel> between = cartelli_labels(c.scenario, 42, 90);
  ASSERT_EQ(between.size(), 1u);
  EXPECT_EQ(between.front().cella, 89u);
  EXPECT_TRUE(cartelli_labels(c.scenario, 100000, 100010).empty());
}

TEST(PlacedLabels, ALabelIsDrawnWhenItEndsBeforeTheNextMark) {
  const struct {
    std::vector<int> x, width;
    std::vector<bool> expected;
  } cases[] = {
      {{0, 100, 200}, {50, 50, 50}, {true, true, true}},    // room for all
      {{0, 40, 200}, {50, 50, 50}, {false, true, true}},    // the first would cover the next mark
      {{0, 100, 130}, {50, 20, 50}, {true, false, true}},   // the second ends past the third mark
      {{0, 100, 200}, {50, 50, 200}, {true, true, false}},  // the last runs past the edge
      {{}, {}, {}},
  };
  for (const auto& test_case : cases)
    EXPECT_EQ(placed_labels(test_case.x, test_case.width, 300, 6), test_case.expected);
}

}  // namespace
}  // namespace sc::view
