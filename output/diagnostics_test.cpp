#include "output/diagnostics.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

const std::string riga_segnale = "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0";

TEST(Diagnostics, FaultWithSourceLineShowsTheLineAndACaretUnderTheField) {
  const Fault f{7, 3500, SourceLocation{"/d/Corvale_Pravena AV_409-.txt", 12, 13, 4, riga_segnale},
                "signal cell already taken"};
  EXPECT_EQ(formatta_fault(f),
            "/d/Corvale_Pravena AV_409-.txt:12: error 7: signal cell already taken (at 3500 m)\n"
            "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0\n"
            "            ^~~~\n");
}

TEST(Diagnostics, CaretLineCases) {
  const struct {
    int column;
    int width;
    std::string text;
    std::string caret;
  } casi[] = {
      {1, 7, "segnale,1", "^~~~~~~"},     // field at the start of the line
      {3, 1, "a,b", "  ^"},               // one-character field
      {3, 0, "a,", "  ^"},                // empty field at the line end
      {4, 2, "\t\tx,12", "\t\t ^~"},      // tabs kept so the caret lines up
      {0, 3, "abc", "^~~"},               // no column: caret at the start
  };
  for (const auto& c : casi) {
    const Fault f{25, std::nullopt, SourceLocation{"f.txt", 2, c.column, c.width, c.text}, "bad number"};
    EXPECT_EQ(formatta_fault(f), "f.txt:2: error 25: bad number\n" + c.text + "\n" + c.caret + "\n")
        << "column " << c.column << " width " << c.width;
  }
}

TEST(Diagnostics, ControlCharactersOfTheSourceNeverReachTheTerminal) {
  // An escape sequence and a NUL in the line and in the message (a key
  // quoted in it) are shown as "?", so the caret stays under the field.
  const Fault f{103, std::nullopt, SourceLocation{"f.txt", 3, 8, 3, std::string("\x1b[2J\0,\t12x", 10)},
                "curve key \"\x1b[2J\" holds no class digit"};
  EXPECT_EQ(formatta_fault(f),
            "f.txt:3: error 103: curve key \"?[2J\" holds no class digit\n"
            "?[2J?,\t12x\n"
            "      \t^~~\n");
}

TEST(Diagnostics, FaultsWithoutSourceLine) {
  EXPECT_EQ(formatta_fault(Fault{30, 4650, std::nullopt, "no free cell for the cab code"}),
            "error 30: no free cell for the cab code (at 4650 m)\n");
  EXPECT_EQ(formatta_fault(Fault{25, std::nullopt, std::nullopt, "internal limit: vector::at"}),
            "error 25: internal limit: vector::at\n");
  EXPECT_EQ(formatta_fault(Fault{30, -50, std::nullopt, "x"}), "error 30: x (at -50 m)\n");
  // A message that gives the position itself does not get it twice.
  EXPECT_EQ(formatta_fault(Fault{22, 950, std::nullopt, "station starts at 950 m, too close"}),
            "error 22: station starts at 950 m, too close\n");
  EXPECT_EQ(formatta_fault(Fault{22, 950, std::nullopt, "station starts at 1950 m"}),
            "error 22: station starts at 1950 m (at 950 m)\n");
  // A location that names only the file.
  EXPECT_EQ(formatta_fault(Fault{101, std::nullopt, SourceLocation{"/d/A_linea.txt", 0, 0, 0, ""},
                                 "no line description file"}),
            "/d/A_linea.txt: error 101: no line description file\n");
}

TEST(Diagnostics, LogIsPrintedInTheOrderFound) {
  FaultLog log;
  EXPECT_EQ(formatta_faults(log), "");
  log.add(Fault{12, 100, SourceLocation{"l.txt", 3, 1, 2, "ab"}, "first"});
  log.add(Fault{30, 200, std::nullopt, "second"});
  EXPECT_EQ(formatta_faults(log), "l.txt:3: error 12: first (at 100 m)\nab\n^~\nerror 30: second (at 200 m)\n");
}

}  // namespace
}  // namespace sc
