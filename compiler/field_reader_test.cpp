#include "compiler/field_reader.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

std::string failure_of(FieldReader& r, int (*read)(FieldReader&)) {
  try {
    read(r);
  } catch (const ParseFailure& e) {
    return std::string(e.what());
  }
  return "no failure";
}

TEST(FieldReader, ReadsKeysTextAndNumbers) {
  FieldReader r("velocita,    1500,   250\r\npendenza,  45000,   -1\r\n[fine]\r\n", "t.txt");
  EXPECT_EQ(r.text(), "velocita");
  EXPECT_EQ(r.i32(), 1500);
  EXPECT_EQ(r.i32(), 250);
  EXPECT_EQ(r.text(), "pendenza");
  EXPECT_EQ(r.i32(), 45000);
  EXPECT_EQ(r.i32(), -1);
  EXPECT_FALSE(r.eof());
  EXPECT_EQ(r.text(), "[fine]");
  EXPECT_TRUE(r.eof());  // the last line end counts as read
}

TEST(FieldReader, NumbersAlsoEndAtBlanks) {
  FieldReader r("orologio,    11              20            0 \r\nsabbia, 300\r\n", "t.txt");
  EXPECT_EQ(r.text(), "orologio");
  EXPECT_EQ(r.i16(), 11);
  EXPECT_EQ(r.i16(), 20);
  EXPECT_EQ(r.i16(), 0);
  EXPECT_EQ(r.text(), "sabbia");  // the trailing blank and line end went with the 0
  EXPECT_EQ(r.last().line, 2);
}

TEST(FieldReader, TextFieldsKeepInnerBlanksAndDropTrailingOnes) {
  FieldReader r(
      "cartello_indicatore,  4400,   (GALLERIA PIANORO)( Km. 10.710     )\r\n"
      "stazione, PRAVENA S.M.N   \r\n,\r\n",
      "t.txt");
  EXPECT_EQ(r.text(), "cartello_indicatore");
  EXPECT_EQ(r.i32(), 4400);
  EXPECT_EQ(r.text(), "(GALLERIA PIANORO)( Km. 10.710     )");
  EXPECT_EQ(r.last().column, 31);
  EXPECT_EQ(r.text(), "stazione");
  EXPECT_EQ(r.text(), "PRAVENA S.M.N");
  EXPECT_EQ(r.text(), "");  // a comma alone gives an empty field
  EXPECT_EQ(r.text(), "");
  EXPECT_TRUE(r.eof());
}

TEST(FieldReader, AnyLineEndAndAByteOrderMarkReadTheSame) {
  for (const char* text : {"\xEF\xBB\xBFsabbia, 300\r\n[fine]\r\n", "sabbia, 300\n[fine]\n",
                           "sabbia, 300\r[fine]\r", "sabbia, 300\r\n[fine]"}) {
    FieldReader r(text, "t.txt");
    EXPECT_EQ(r.text(), "sabbia") << text;
    EXPECT_EQ(r.i32(), 300);
    EXPECT_EQ(r.text(), "[fine]");
    EXPECT_EQ(r.last().line, 2);
    EXPECT_EQ(r.last().text, "[fine]");
    EXPECT_TRUE(r.eof());
  }
}

TEST(FieldReader, ReadFailuresSayWhatWasExpected) {
  const struct {
    const char* text;
    int (*read)(FieldReader&);
    const char* message;
  } cases[] = {
      {"256\r\n", [](FieldReader& r) { return int(r.u8()); }, "value 256 does not fit in 0..255"},
      {"-1\r\n", [](FieldReader& r) { return int(r.u8()); }, "value -1 does not fit in 0..255"},
      {"32768,", [](FieldReader& r) { return int(r.i16()); },
       "value 32768 does not fit in -32768..32767"},
      {"2147483648,", [](FieldReader& r) { return int(r.i32()); },
       "value 2147483648 does not fit in -2147483648..2147483647"},
      {"12.5, 3", [](FieldReader& r) { return int(r.i32()); },
       "expected a whole number, got \"12.5\""},
      {"abc\r\n", [](FieldReader& r) { return int(r.i32()); },
       "expected a whole number, got \"abc\""},
      {" , 3", [](FieldReader& r) { return int(r.i32()); },
       "expected a whole number, got an empty field"},
      {"", [](FieldReader& r) { return int(r.i32()); },
       "expected a whole number, got the end of the file"},
      {"", [](FieldReader& r) { return int(r.text().size()); },
       "expected a field, got the end of the file"},
  };
  for (const auto& c : cases) {
    FieldReader r(c.text, "t.txt");
    EXPECT_EQ(failure_of(r, c.read), c.message) << c.text;
  }
}

TEST(FieldReader, FailureCarriesTheFieldPosition) {
  FieldReader r("stazione,  0,  8\r\n  7x0\r\n", "treno.txt");
  r.text();
  r.i32();
  r.u8();
  try {
    r.i32();
    FAIL();
  } catch (const ParseFailure& e) {
    EXPECT_EQ(e.where().file, "treno.txt");
    EXPECT_EQ(e.where().line, 2);
    EXPECT_EQ(e.where().column, 3);
    EXPECT_EQ(e.where().width, 3);
    EXPECT_EQ(e.where().text, "  7x0");
  }
}

TEST(FieldReader, ReadingPastTheEndPointsAfterTheLastCharacter) {
  for (const char* text : {"pendenza, 1000\r\n", "pendenza, 1000"}) {
    FieldReader r(text, "linea.txt");
    r.text();
    r.i32();
    try {
      r.i32();
      ADD_FAILURE() << text;
    } catch (const ParseFailure& e) {
      EXPECT_EQ(e.where().line, 1) << text;
      EXPECT_EQ(e.where().column, 15) << text;
      EXPECT_EQ(e.where().text, "pendenza, 1000") << text;
    }
  }
}

TEST(FieldReader, LocationOnAVeryLongLineIsAnExcerptAroundTheField) {
  // 100000 entries on one line, then a bad number 10 MB long.
  std::string line;
  for (int i = 0; i < 100000; ++i) line += "pendenza, 0, 0,";
  const size_t field_column = line.size() + 1;
  FieldReader r(line + std::string(10'000'000, '7') + "x,\r\n", "linea.txt");
  for (int i = 0; i < 100000; ++i) {
    r.text();
    r.i32();
    r.i32();
  }
  const SourceLocation& last = r.last();  // the last 0
  EXPECT_LE(last.text.size(), FieldReader::max_shown_line + 6);
  EXPECT_EQ(last.text.substr(static_cast<size_t>(last.column - 2), 3), " 0,");
  EXPECT_EQ(last.width, 1);
  try {
    r.i32();
    FAIL();
  } catch (const ParseFailure& e) {
    const SourceLocation& w = e.where();
    EXPECT_EQ(w.line, 1);
    EXPECT_EQ(w.text.substr(0, 3), "...");
    EXPECT_EQ(w.text.substr(w.text.size() - 3), "...");
    EXPECT_LE(w.text.size(), FieldReader::max_shown_line + 6);
    EXPECT_EQ(w.text.substr(static_cast<size_t>(w.column - 1), 8), "77777777");
    EXPECT_EQ(w.text.substr(static_cast<size_t>(w.column - 2), 1),
              ",");  // the field starts after the comma
    EXPECT_EQ(static_cast<size_t>(w.column - 1 + w.width), w.text.size() - 3);
    EXPECT_EQ(std::string(e.what()),
              "expected a whole number, got \"" + std::string(40, '7') + "...\"");
    EXPECT_GT(field_column, w.text.size());
  }
}

// A failure names its field within the entry: the key is field 1, and
// every field read from the line counts once, numbers split by blanks each.
TEST(FieldReader, FailureNamesTheFieldOfItsEntry) {
  const struct {
    std::string text;
    int reads;  // 32-bit reads that succeed before the failing one (after the key)
    const char* entry;
  } cases[] = {
      {"pendenza, 1x00, 1\r\n", 0, "field 2 of \"pendenza\": "},
      {"pendenza, 100\r\n", 1, "field 3 of \"pendenza\": "},  // past the end of the file
      {"pendenza, 100", 1, "field 3 of \"pendenza\": "},      // no line end at the end
      {"montagna, 1000  2000 x\r\n", 2, "field 4 of \"montagna\": "},
      {"montagna, 1000,, 11\r\n", 1, "field 3 of \"montagna\": "},
      {"  Orologio x , 1, y\r\n", 1, "field 3 of \"Orologio x\": "},
      {"5, x\r\n", 0, ""},  // a line that starts with a value continues an entry
      {"segnale, 1," + std::string(100, ' ') + "2," + std::string(200, ' ') + "x\r\n", 2,
       ""},  // shown in an excerpt that cuts the key off
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    FieldReader r(c.text, "t.txt");
    r.text();  // the key, or the first value
    for (int i = 0; i < c.reads; ++i) r.i32();
    try {
      r.i32();
      ADD_FAILURE() << "no failure";
    } catch (const ParseFailure& e) {
      EXPECT_EQ(e.entry(), c.entry);
      EXPECT_EQ(e.where().line, 1);
    }
  }
  // The key itself and a field that no file position stands for name none.
  FieldReader r("pendenza, 1\r\n", "t.txt");
  r.text();
  EXPECT_EQ(r.entry(r.field()), "");
  EXPECT_EQ(r.entry(Field{}), "");
  EXPECT_EQ(r.location(Field{}).file, "t.txt");
  EXPECT_EQ(r.location(Field{}).line, 0);
}

}  // namespace
}  // namespace sc
