#include "output/terminal_text.h"

#include <gtest/gtest.h>

#include <string>

namespace sc {
namespace {

TEST(TerminalText, EscapesWhatATerminalWouldObeyAndPassesTheRest) {
  const struct {
    std::string text;
    TextSource from;
    std::string shown;
  } cases[] = {
      {"Corvale_Pravena AV_409-.txt", TextSource::utf8, "Corvale_Pravena AV_409-.txt"},
      {"a\x1b[31mb", TextSource::utf8, "a\\x1b[31mb"},             // CSI by ESC
      {"a\nb\r\tc", TextSource::utf8, "a\\x0ab\\x0d\\x09c"},       // newline, CR, tab
      {std::string("\0\x7f", 2), TextSource::utf8, "\\x00\\x7f"},  // NUL, DEL
      {"x\xC2\x9B"
       "31m\xC2\x9D"
       "0;t",
       TextSource::utf8, "x\\u009b31m\\u009d0;t"},  // C1
      {"Citt\xC3\xA0 \xE2\x82\xAC \xF0\x9F\x9A\x86", TextSource::utf8,
       "Citt\xC3\xA0 \xE2\x82\xAC \xF0\x9F\x9A\x86"},  // UTF-8 of 2, 3 and 4 bytes
      {"a\xFF"
       "b",
       TextSource::utf8, "a\\xffb"},                          // never UTF-8
      {"\xC0\xAF", TextSource::utf8, "\\xc0\\xaf"},           // over-long
      {"\xED\xA0\x80", TextSource::utf8, "\\xed\\xa0\\x80"},  // a surrogate
      {"ab\xE2\x82", TextSource::utf8, "ab\\xe2\\x82"},       // cut short at the end
      {"\xE2\x82"
       "A",
       TextSource::utf8, "\\xe2\\x82A"},                                   // cut short by ASCII
      {"C:\\dir", TextSource::utf8, "C:\\dir"},                            // a backslash stays
      {"CITT\xC0", TextSource::windows_1252, "CITT\xC3\x80"},              // 1252 decoded
      {"\x9B\x80", TextSource::windows_1252, "\xE2\x80\xBA\xE2\x82\xAC"},  // 0x9B is a quote mark
      {"a\x1b\x81", TextSource::windows_1252, "a\\x1b\\u0081"},            // undefined 0x81: C1
      {"Citt\xC3\xA0", TextSource::description, "Citt\xC3\xA0"},           // valid UTF-8 kept
      {"Citt\xE0", TextSource::description, "Citt\xC3\xA0"},               // else Windows-1252
      {"\xC2\x9B", TextSource::description, "\\u009b"},                    // C1 of a UTF-8 file
      {"", TextSource::utf8, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(terminal_text(c.text, c.from), c.shown) << c.shown;
    // What is shown holds no control at all.
    const std::string shown = terminal_text(c.text, c.from);
    for (size_t i = 0; i < shown.size(); ++i) {
      const auto b = static_cast<unsigned char>(shown[i]);
      EXPECT_TRUE(b >= 0x20 && b != 0x7F) << c.shown << " at " << i;
      if (b == 0xC2 && i + 1 < shown.size()) {
        EXPECT_GE(static_cast<unsigned char>(shown[i + 1]), 0xA0) << c.shown << " at " << i;
      }
    }
  }
}

TEST(TerminalText, CharactersOneByOneTellTheirBytes) {
  // "a", ESC, "à" in UTF-8, an invalid byte: lengths 1, 1, 2, 1.
  ShownCharacters c("a\x1b\xC3\xA0\xFF", TextSource::utf8);
  std::string out;
  std::string lengths;
  while (!c.done()) lengths += std::to_string(c.next(out));
  EXPECT_EQ(lengths, "1121");
  EXPECT_EQ(out, "a\\x1b\xC3\xA0\\xff");
  // A quoted source line keeps its tabs.
  std::string line;
  for (ShownCharacters t("\t\x1b", TextSource::description, true); !t.done();) t.next(line);
  EXPECT_EQ(line, "\t\\x1b");
}

}  // namespace
}  // namespace sc
