#include "lsp/text.h"

#include <gtest/gtest.h>

#include <string>

namespace sc::lsp {
namespace {

// "à" is one UTF-16 unit and two UTF-8 bytes; "😀" (U+1F600) two UTF-16
// units and four bytes.
TEST(Text, ColumnsInEitherEncoding) {
  struct Case {
    std::string text;
    Position p;
    size_t utf16_offset, utf8_offset;  // byte offsets of p read as UTF-16 and as UTF-8
  } cases[] = {
      {"abc", {0, 2}, 2, 2},
      {"àb,x", {0, 2}, 3, 2},
      {"😀,x", {0, 2}, 4, 2},
      {"😀,x", {0, 3}, 5, 3},
      // After "è😀" (UTF-16); after "è" and 2 bytes (UTF-8).
      {"a\r\nè😀z", {1, 3}, 9, 6},
      // A lone "\r" ends a line too.
      {"a\rb\nc", {2, 1}, 5, 5},
      // Past the line's end: its end; past the last line: the text's end.
      {"ab\r\ncd", {0, 9}, 2, 2},
      {"ab", {5, 0}, 2, 2},
      // Inside a surrogate pair: before the character.
      {"😀", {0, 1}, 0, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(offset_of(c.text, c.p, PositionEncoding::utf16), c.utf16_offset) << c.text;
    EXPECT_EQ(offset_of(c.text, c.p, PositionEncoding::utf8), c.utf8_offset) << c.text;
  }
  EXPECT_EQ(units("è😀z", PositionEncoding::utf16), 4u);
  EXPECT_EQ(units("è😀z", PositionEncoding::utf8), 7u);
}

TEST(Text, IncrementalChanges) {
  std::string t = "velocità😀,    1500,   250\r\nsabbia, 1";
  replace_range(t, {0, 23}, {0, 26}, "x", PositionEncoding::utf16);
  EXPECT_EQ(t, "velocità😀,    1500,   x\r\nsabbia, 1");
  replace_range(t, {0, 10}, {1, 0}, "", PositionEncoding::utf16);
  EXPECT_EQ(t, "velocità😀sabbia, 1");
  replace_range(t, {0, 13}, {0, 13}, "+", PositionEncoding::utf8);
  EXPECT_EQ(t, "velocità😀+sabbia, 1");
}

TEST(Text, EncodingOfTheFileOnDisk) {
  EXPECT_EQ(disk_encoding("\xEF\xBB\xBFstazione"), DiskEncoding::utf8_bom);
  EXPECT_EQ(disk_encoding("CITT\xC3\x80"), DiskEncoding::utf8);
  EXPECT_EQ(disk_encoding("CITT\xC0"), DiskEncoding::windows_1252);
  EXPECT_EQ(disk_encoding("plain"), DiskEncoding::utf8);
  EXPECT_EQ(disk_encoding(""), DiskEncoding::utf8);

  // Windows-1252 both ways, the bytes it leaves undefined included; a
  // character it lacks is saved as "?".
  const std::string bytes = "\xC0\x80\x9C\x81\xFF";
  const std::string text = decode(bytes, DiskEncoding::windows_1252);
  EXPECT_EQ(text, "À€œ\xC2\x81ÿ");
  EXPECT_EQ(encode(text, DiskEncoding::windows_1252), bytes);
  EXPECT_EQ(encode("a😀b", DiskEncoding::windows_1252), "a?b");
  EXPECT_EQ(encode("à", DiskEncoding::utf8_bom), "\xEF\xBB\xBF\xC3\xA0");
  EXPECT_EQ(decode("\xEF\xBB\xBF\xC3\xA0", DiskEncoding::utf8_bom), "à");
}

// A compile's byte column as the editor counts it.
TEST(Text, FilePositions) {
  struct Case {
    std::string bytes;
    DiskEncoding d;
    std::string text;  // as the editor holds the file
    int line, byte_column;
    size_t utf16, utf8;
  } cases[] = {
      {"x\r\nCITT\xC0, 5", DiskEncoding::windows_1252, "x\r\nCITTÀ, 5", 2, 8, 7, 8},
      {"CITT\xC3\x80, 5", DiskEncoding::utf8, "CITTÀ, 5", 1, 9, 7, 8},
      {"\xEF\xBB\xBF"
       "ab, 5",
       DiskEncoding::utf8_bom, "ab, 5", 1, 5, 4, 4},
      {"\xF0\x9F\x98\x80, 5", DiskEncoding::utf8, "😀, 5", 1, 7, 4, 6},
      // A character Windows-1252 lacks, saved as "?": one character still.
      {"a?, 5", DiskEncoding::windows_1252, "a😀, 5", 1, 5, 5, 7},
  };
  for (const Case& c : cases) {
    const Position p16 =
        file_position(c.bytes, c.d, c.text, c.line, c.byte_column, PositionEncoding::utf16);
    const Position p8 =
        file_position(c.bytes, c.d, c.text, c.line, c.byte_column, PositionEncoding::utf8);
    EXPECT_EQ(p16.line, static_cast<size_t>(c.line - 1)) << c.text;
    EXPECT_EQ(p16.column, c.utf16) << c.text;
    EXPECT_EQ(p8.column, c.utf8) << c.text;
  }
}

}  // namespace
}  // namespace sc::lsp
