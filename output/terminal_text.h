// Text from outside the program (file names, arguments, names and texts
// read from descriptions or compiled files, quoted source lines) as it may
// be printed on a terminal: nothing in it can move the cursor, change
// colours, set a window title or start any other escape sequence.
//
// The text is first read in its encoding: UTF-8 for arguments and file
// names, Windows-1252 for the texts of compiled files, and for a
// description's text UTF-8 when it is valid UTF-8 and Windows-1252
// otherwise, as the compile reads it. It is then written as UTF-8 with
// these escapes, the same everywhere:
//
//   a C0 control (below 0x20) or DEL  \xNN    (ESC is \x1b, a newline \x0a)
//   a byte that is not valid UTF-8    \xNN    (the byte's value)
//   a C1 control (U+0080 to U+009F)   \u00NN  (CSI is \u009b)
//
// with NN in lower-case hexadecimal. Everything else passes unchanged, so a
// text without such characters prints exactly as it is (Windows-1252 text
// decoded). A backslash is not escaped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sc {

enum class TextSource {
  utf8,          // arguments, file names, the program's own messages
  windows_1252,  // names and texts read from a compiled file
  description,   // a description's text: UTF-8 when valid, else Windows-1252
};

std::string terminal_text(std::string_view s, TextSource from = TextSource::utf8);

// One character at a time, for what must line up with the text as shown
// (the caret under a quoted source line).
class ShownCharacters {
 public:
  // `keep_tabs`: a tab passes as it is (a quoted source line, whose caret
  // line repeats its tabs).
  ShownCharacters(std::string_view s, TextSource from, bool keep_tabs = false);
  bool done() const { return at_ >= s_.size(); }
  // The next character: appends how it is shown to `out` and returns how
  // many bytes of the text it takes.
  size_t next(std::string& out);

 private:
  std::string_view s_;
  bool windows_1252_;
  bool keep_tabs_;
  size_t at_ = 0;
};

}  // namespace sc
