#include "output/diagnostics.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace sc {
namespace {

const std::string riga_segnale = "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0";

TEST(Diagnostics, FaultWithSourceLineShowsTheLineAndACaretUnderTheField) {
  const Fault f{7, 3500, SourceLocation{"/d/Corvale_Pravena AV_409-.txt", 12, 13, 4, riga_segnale},
                "signal cell already taken"};
  EXPECT_EQ(
      formatta_fault(f),
      "/d/Corvale_Pravena AV_409-.txt:12:13: error: signal cell already taken (at 3500 m) [E7]\n"
      "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0\n"
      "            ^~~~\n");
}

TEST(Diagnostics, WarningsNotesAndFurtherPlacesLikewise) {
  Fault w{8, std::nullopt, SourceLocation{"t.txt", 13, 14, 4, "stazione,    1900"},
          "the station replaces a signal", Severity::avviso};
  w.notes.push_back({SourceLocation{"t.txt", 17, 13, 4, riga_segnale}, "the signal placed here"});
  EXPECT_EQ(formatta_fault(w),
            "t.txt:13:14: warning: the station replaces a signal [W8]\n"
            "stazione,    1900\n"
            "             ^~~~\n"
            "t.txt:17:13: note: the signal placed here\n" +
                riga_segnale + "\n            ^~~~\n");
  Fault n{1, std::nullopt, SourceLocation{"l.txt", 0, 0, 0, ""}, "read as UTF-8", Severity::note};
  EXPECT_EQ(formatta_fault(n), "l.txt: note: read as UTF-8 [N1]\n");
  Fault after{15, 60000, std::nullopt, "signal beyond the line"};
  after.after_first = true;
  EXPECT_EQ(formatta_fault(after),
            "error: signal beyond the line (at 60000 m) [E15] (found after the first fault)\n");
}

TEST(Diagnostics, CaretLineCases) {
  const struct {
    int column;
    int width;
    std::string text;
    std::string caret;
  } cases[] = {
      {1, 7, "segnale,1", "^~~~~~~"},  // field at the start of the line
      {3, 1, "a,b", "  ^"},            // one-character field
      {3, 0, "a,", "  ^"},             // empty field at the line end
      {4, 2, "\t\tx,12", "\t\t ^~"},   // tabs kept so the caret lines up
      {0, 3, "abc", "^~~"},            // no column: caret at the start
      // UTF-8: a character of two bytes takes one column
      {5, 4, "\xC3\x80,, CIT", "   ^~~~"},
      {3, 2, "a,\xC3\x80,x", "  ^"},
  };
  for (const auto& c : cases) {
    const Fault f{25, std::nullopt, SourceLocation{"f.txt", 2, c.column, c.width, c.text},
                  "bad number"};
    EXPECT_EQ(formatta_fault(f), "f.txt:2:" + std::to_string(c.column > 0 ? c.column : 1) +
                                     ": error: bad number [E25]\n" + c.text + "\n" + c.caret + "\n")
        << "column " << c.column << " width " << c.width;
  }
  // An excerpt of a long line: the caret counts in the excerpt, the
  // location in the file.
  const Fault f{25, std::nullopt, SourceLocation{"f.txt", 2, 5, 1, "...x,y", 100}, "bad"};
  EXPECT_EQ(formatta_fault(f), "f.txt:2:102: error: bad [E25]\n...x,y\n    ^\n");
}

TEST(Diagnostics, ControlCharactersOfTheSourceNeverReachTheTerminal) {
  // An escape sequence and a NUL in the line and in the message (a key
  // quoted in it) are shown escaped, and the caret moves with the wider
  // text so that it stays under the field.
  const Fault f{103, std::nullopt,
                SourceLocation{"f.txt", 3, 8, 3, std::string("\x1b[2J\0,\t12x", 10)},
                "curve key \"\x1b[2J\" holds no class digit"};
  EXPECT_EQ(formatta_fault(f),
            "f.txt:3:8: error: curve key \"\\x1b[2J\" holds no class digit [E103]\n"
            "\\x1b[2J\\x00,\t12x\n"
            "            \t^~~\n");
}

TEST(Diagnostics, CaretFollowsEscapedAndDecodedCharacters) {
  const struct {
    int column;
    int width;
    std::string text;
    std::string shown;
    std::string caret;
  } cases[] = {
      // C1 control U+009B in a UTF-8 line: six columns, "\u009b"
      {5, 2, "a\xC2\x9B,12", "a\\u009b,12", "        ^~"},
      // Windows-1252 "CITT\xC0" decoded: one column a character
      {7, 1, "CITT\xC0,x", "CITT\xC3\x80,x", "      ^"},
      // the field itself escaped: caret and tildes under all of it
      {3, 2, "a,\x1b\x07", "a,\\x1b\\x07", "  ^~~~~~~~"},
      // a line that is not valid UTF-8 is Windows-1252 throughout
      {5, 1, "\xC3\x80\xFF,x", "\xC3\x83\xE2\x82\xAC\xC3\xBF,x", "    ^"},
  };
  for (const auto& c : cases) {
    const Fault f{25, std::nullopt, SourceLocation{"f.txt", 2, c.column, c.width, c.text}, "bad"};
    EXPECT_EQ(formatta_fault(f), "f.txt:2:" + std::to_string(c.column) + ": error: bad [E25]\n" +
                                     c.shown + "\n" + c.caret + "\n")
        << c.shown;
  }
}

TEST(Diagnostics, FileNamesAndMessagesAreEscapedForTheTerminal) {
  Fault f{16, std::nullopt, SourceLocation{"a\x1b]0;x\x07\n.txt", 2, 1, 1, "x"},
          "name \"\xC2\x9D\" taken"};
  f.notes.push_back({SourceLocation{"b\x1b.txt", 0, 0, 0, ""}, "see \x1b[1m"});
  EXPECT_EQ(formatta_fault(f),
            "a\\x1b]0;x\\x07\\x0a.txt:2:1: error: name \"\\u009d\" taken [E16]\nx\n^\n"
            "b\\x1b.txt: note: see \\x1b[1m\n");
}

TEST(Diagnostics, FaultsWithoutSourceLine) {
  EXPECT_EQ(formatta_fault(Fault{30, 4650, std::nullopt, "no free cell for the cab code"}),
            "error: no free cell for the cab code (at 4650 m) [E30]\n");
  EXPECT_EQ(formatta_fault(Fault{25, std::nullopt, std::nullopt, "internal limit: vector::at"}),
            "error: internal limit: vector::at [E25]\n");
  EXPECT_EQ(formatta_fault(Fault{30, -50, std::nullopt, "x"}), "error: x (at -50 m) [E30]\n");
  // A message that gives the position itself does not get it twice.
  EXPECT_EQ(formatta_fault(Fault{22, 950, std::nullopt, "station starts at 950 m, too close"}),
            "error: station starts at 950 m, too close [E22]\n");
  EXPECT_EQ(formatta_fault(Fault{22, 950, std::nullopt, "station starts at 1950 m"}),
            "error: station starts at 1950 m (at 950 m) [E22]\n");
  // A location that names only the file.
  EXPECT_EQ(formatta_fault(Fault{101, std::nullopt, SourceLocation{"/d/A_linea.txt", 0, 0, 0, ""},
                                 "no line description file"}),
            "/d/A_linea.txt: error: no line description file [E101]\n");
}

TEST(Diagnostics, ColourOnlyWhenAsked) {
  const Fault f{16, std::nullopt, SourceLocation{"t.txt", 2, 1, 3, "abc"}, "taken"};
  const std::string colored = formatta_fault(f, DiagnosticStyle{true});
  EXPECT_NE(colored.find("\x1b[1;31merror:\x1b[0m"), std::string::npos) << colored;
  EXPECT_NE(colored.find("\x1b[1;32m^~~\x1b[0m"), std::string::npos) << colored;
  EXPECT_EQ(formatta_fault(f).find('\x1b'), std::string::npos);
}

TEST(Diagnostics, LogIsPrintedInTheOrderFound) {
  FaultLog log;
  EXPECT_EQ(formatta_faults(log), "");
  log.add(Fault{12, 100, SourceLocation{"l.txt", 3, 1, 2, "ab"}, "first"});
  log.avviso(3, std::nullopt, "between");
  log.add(Fault{30, 200, std::nullopt, "second"});
  EXPECT_EQ(formatta_faults(log),
            "l.txt:3:1: error: first (at 100 m) [E12]\nab\n^~\nwarning: between [W3]\nerror: "
            "second (at 200 m) [E30]\n");
}

// The text shows the first diagnostics up to the limit, in the order found
// (faults and warnings interleaved), and tells how many it left out; 0
// shows them all.
TEST(Diagnostics, TextStopsAtTheLimitAndCountsTheRest) {
  FaultLog log;
  for (int i = 0; i < 5; ++i) {
    if (i == 2) log.add(Fault{12, std::nullopt, std::nullopt, "fault"});
    log.avviso(3, std::nullopt, "w" + std::to_string(i));
  }
  const std::string all = formatta_faults(log);
  struct Case {
    size_t limit;
    size_t hidden;
    std::string shown;
  };
  const std::vector<Case> cases{
      {0, 0, all},
      {1, 5, "warning: w0 [W3]\n"},
      {3, 3, "warning: w0 [W3]\nwarning: w1 [W3]\nerror: fault [E12]\n"},
      {5, 1, all.substr(0, all.rfind("warning:"))},
      {6, 0, all},
      {200, 0, all},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    std::ostringstream out;
    EXPECT_EQ(write_text_diagnostics(log, {}, c.limit, out), c.hidden);
    EXPECT_EQ(out.str(), c.shown);
  }
}

// The log of the JSON and SARIF tests: a fault at a field of a long line
// shown as an excerpt, a warning with a further place, a note naming only
// its file, a fault with no place, texts that need escaping.
FaultLog test_log() {
  FaultLog log;
  log.add(Fault{16, 3500, SourceLocation{"dir/T \"q\".txt", 18, 13, 4, riga_segnale},
                "taken \\ cell\t\x01"});
  Fault w{8, std::nullopt, SourceLocation{"T.txt", 13, 5, 2, "...ab", 200}, "replaces \xC0",
          Severity::avviso};
  w.notes.push_back({SourceLocation{"T.txt", 17, 13, 4, riga_segnale}, "placed here"});
  log.add_other(w);
  log.add_other(Fault{1, std::nullopt, SourceLocation{"L.txt", 0, 0, 0, ""}, "UTF-8 \xC3\x80",
                      Severity::note});
  Fault after{13, 4650, std::nullopt, "no free cell"};
  after.after_first = true;
  log.add_other(after);
  return log;
}

TEST(Diagnostics, JsonIsOneArrayThatParsesBack) {
  const nlohmann::json j = nlohmann::json::parse(json_diagnostics(test_log()));
  ASSERT_TRUE(j.is_array());
  ASSERT_EQ(j.size(), 4u);
  EXPECT_EQ(j[0]["file"], "dir/T \"q\".txt");
  EXPECT_EQ(j[0]["line"], 18);
  EXPECT_EQ(j[0]["column"], 13);
  EXPECT_EQ(j[0]["end_column"], 17);
  EXPECT_EQ(j[0]["severity"], "error");
  EXPECT_EQ(j[0]["code"], "E16");
  EXPECT_EQ(j[0]["message"], "taken \\ cell\t? (at 3500 m)");  // control characters shown as "?"
  EXPECT_EQ(j[0]["position_m"], 3500);
  EXPECT_EQ(j[0]["after_first_fault"], false);
  EXPECT_TRUE(j[0]["notes"].empty());
  // A column in an excerpt is given in the file's line.
  EXPECT_EQ(j[1]["column"], 202);
  EXPECT_EQ(j[1]["severity"], "warning");
  EXPECT_EQ(j[1]["message"], "replaces \u00c0");  // a Windows-1252 byte as its code point
  ASSERT_EQ(j[1]["notes"].size(), 1u);
  EXPECT_EQ(j[1]["notes"][0]["line"], 17);
  EXPECT_EQ(j[1]["notes"][0]["message"], "placed here");
  EXPECT_EQ(j[2]["code"], "N1");
  EXPECT_EQ(j[2]["message"], "UTF-8 \u00c0");  // UTF-8 stays as it is
  EXPECT_TRUE(j[2]["line"].is_null());
  EXPECT_TRUE(j[3]["file"].is_null());
  EXPECT_EQ(j[3]["after_first_fault"], true);
  EXPECT_EQ(nlohmann::json::parse(json_diagnostics(FaultLog{})), nlohmann::json::array());
}

TEST(Diagnostics, SarifHoldsTheRequiredFields) {
  const nlohmann::json s = nlohmann::json::parse(sarif_diagnostics(test_log(), "1.2.3"));
  EXPECT_EQ(s["version"], "2.1.0");
  EXPECT_TRUE(s["$schema"].is_string());
  ASSERT_EQ(s["runs"].size(), 1u);
  const nlohmann::json& run = s["runs"][0];
  EXPECT_EQ(run["tool"]["driver"]["name"], "scenario-compiler");
  EXPECT_EQ(run["tool"]["driver"]["version"], "1.2.3");
  std::set<std::string> rules;
  for (const auto& r : run["tool"]["driver"]["rules"]) rules.insert(r["id"].get<std::string>());
  EXPECT_EQ(rules, (std::set<std::string>{"E13", "E16", "N1", "W8"}));
  const nlohmann::json& r = run["results"];
  ASSERT_EQ(r.size(), 4u);
  for (const auto& x : r) {
    EXPECT_TRUE(rules.count(x["ruleId"].get<std::string>()));
    EXPECT_TRUE(x["message"]["text"].is_string());
    const std::string level = x["level"];
    EXPECT_TRUE(level == "error" || level == "warning" || level == "note") << level;
  }
  const nlohmann::json& location = r[0]["locations"][0]["physicalLocation"];
  EXPECT_EQ(location["artifactLocation"]["uri"], "dir/T \"q\".txt");
  EXPECT_EQ(location["region"]["startLine"], 18);
  EXPECT_EQ(location["region"]["startColumn"], 13);
  EXPECT_EQ(location["region"]["endColumn"], 17);
  EXPECT_EQ(r[1]["level"], "warning");
  EXPECT_EQ(r[1]["relatedLocations"][0]["physicalLocation"]["region"]["startLine"], 17);
  EXPECT_FALSE(r[2]["locations"][0]["physicalLocation"].contains("region"));  // a file, no line
  EXPECT_FALSE(r[3].contains("locations"));
}

}  // namespace
}  // namespace sc
